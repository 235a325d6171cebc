// The gamepad: its buttons, hat and stick become the key presses they
// stand for, so that the rest of the game sees keys only.
#pragma once

#include <SDL.h>

// Before SDL_Init: on a library over SDL2 (1.2.50 and later) asks for the
// game-controller layout, unless the player has chosen otherwise, and
// picks the table of button numbers that the library will give.
void prepare_gamepad();

// After SDL_Init: opens the first joystick, if there is one. Silent: no
// pad only means that nothing but the keyboard plays.
void open_gamepad();

// Start stands for q while a level intro waits and for p in play.
void set_pad_on_intro(bool on_intro);

// Turns a pad event into the key-down it stands for, in place; answers
// false for a pad event that stands for no key (a release, the stick
// moving within its zone), to be dropped. Other events pass unchanged.
bool translate_pad_event(SDL_Event* event);

// The game's one way to read input: every event the game takes passes
// here, so that whatever turns input into the game's keys (a gamepad) or
// keeps it (a recording) sits in one place.
#pragma once

#include <SDL.h>

// Where the game stands when it reads input: in a frame of play, or in one
// of the waits between frames, which show their picture again on every
// read that finds nothing pending.
enum class InputWait : unsigned char { kPlay, kLevelIntro, kPause, kGameOver };

// Takes the next pending event, as SDL_PollEvent does: 1 and the event, or
// 0 when none is waiting. `wait` says where the game reads it. A pad event
// arrives as the key-down it stands for; one that stands for no key is
// dropped.
int next_input(SDL_Event* event, InputWait wait = InputWait::kPlay);

// The window's state as SDL_GetAppState tells it (shown, keyboard focus),
// read where the game reads input, so that a demo keeps it.
Uint8 window_state();

// Whether a close request (the window's close button) has been taken: the
// run ends at the end of that frame, whatever comes after it.
bool close_requested();

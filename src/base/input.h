// The game's one way to read input: every event the game takes passes
// here, so that whatever turns input into the game's keys (a gamepad) or
// keeps it (a recording) sits in one place.
#pragma once

#include <SDL.h>

// Takes the next pending event, as SDL_PollEvent does: 1 and the event, or
// 0 when none is waiting. A pad event arrives as the key-down it stands
// for; one that stands for no key is dropped.
int next_input(SDL_Event* event);

// Whether a close request (the window's close button) has been taken: the
// run ends at the end of that frame, whatever comes after it.
bool close_requested();

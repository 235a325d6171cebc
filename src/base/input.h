// The game's one way to read input: every event the game takes passes
// here, so that whatever turns input into the game's keys (a gamepad) or
// keeps it (a recording) sits in one place.
#pragma once

#include <SDL.h>

// Takes the next pending event, as SDL_PollEvent does: 1 and the event, or
// 0 when none is waiting.
int next_input(SDL_Event* event);

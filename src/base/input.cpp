#include "base/input.h"

#include "base/platform.h"

int next_input(SDL_Event* event) { return platform::poll_event(event); }

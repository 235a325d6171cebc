// The few calls through which the game meets the machine: start-up, the
// clock, waits, events and presenting a picture. The game build links them
// straight to SDL (platform_sdl.cpp); the tests link a virtual clock and
// scripted input in their place.
#pragma once

#include <SDL.h>

namespace platform {

int init(Uint32 flags);
SDL_Surface* set_video_mode(int width, int height, int bpp, Uint32 flags);
Uint32 get_ticks();
void delay(Uint32 ms);
int poll_event(SDL_Event* event);
int flip(SDL_Surface* video);

}  // namespace platform

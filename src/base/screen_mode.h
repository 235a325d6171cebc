// The game's picture and the video mode it asks for, shared by the plain
// screen (surfaces.cpp) and the scaled window (picture_scaler.cpp).
#pragma once

#include <SDL.h>

// The picture is 640 x 480 in 16 bits; the mode is a hardware surface with
// two buffers where the machine has them (then the mode page-flips).
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kScreenDepth = 16;
constexpr Uint32 kVideoFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;

// Whether a video surface page-flips between two buffers.
inline bool page_flips(const SDL_Surface* video)
{
    return (video->flags & kVideoFlags) == kVideoFlags;
}

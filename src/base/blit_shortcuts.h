// The few places where the game steers or stands in for SDL's choice of
// blitter, for speed (docs/performance.md, "What each speed-up bought").
// Every picture stays exactly what plain blits would give.
#pragma once

#include <cstdint>

#include <SDL.h>

// Once the images are loaded and the sheet keyed: holds an opaque backdrop
// in the screen's own format, and learns what a blit of the sheet's first
// pixel writes on the screen. Replaces `backdrop` when it converts it.
void prepare_blit_shortcuts(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface*& backdrop);

// Puts the sheet's pixel (0, 0) at (x, y) on the screen, as a one-pixel
// blit would.
void draw_sheet_pixel(SDL_Surface* screen, SDL_Surface* sprites, std::int32_t x, std::int32_t y);

// Puts back the backdrop's pixel at (x, y), as a one-pixel blit would.
void restore_pixel(SDL_Surface* screen, SDL_Surface* backdrop, std::int32_t x, std::int32_t y);

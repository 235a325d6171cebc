// Shared set-up of the unit tests: headless SDL, the game's images, and
// comparisons of the screen with what the game should have drawn.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace harness {

// SDL's dummy video driver, and its dummy audio driver unless the
// environment asks for another, so nothing opens or sounds.
void use_dummy_drivers();

// A 640 x 480 16-bit screen showing the backdrop, and the game's two images
// as the game loads them, for tests that call one subsystem directly.
struct Surfaces {
    SDL_Surface* screen;
    SDL_Surface* sprites;
    SDL_Surface* backdrop;
};
Surfaces open_surfaces();

// A 64-bit FNV-1a over the pixels of a surface, 32 bits at a time.
unsigned long long picture_hash(SDL_Surface* surface);

// Whether the screen at (x, y) shows `source` of the sheet copied over the
// plain backdrop (its transparent pixels show the backdrop); names the
// first pixel that differs.
testing::AssertionResult shows_sprite(const Surfaces& s, SDL_Rect source, int x, int y);
// Whether the score cell at (x, 14) shows the glyph of `digit` (0..9).
testing::AssertionResult shows_digit(const Surfaces& s, int digit, int x);

}  // namespace harness

// Shared set-up of the unit tests and the whole-game driver: headless SDL,
// the game's images, and a hash of what a surface shows.
#pragma once

#include <string>

#include <SDL.h>

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

// Queues an event of `type`; for a key-down, a press of `key`. SDL_QUIT is
// the window's close button.
void push(Uint8 type, SDLKey key = SDLK_q);

// A data folder of the test's own for the best-scores table, `below` a
// temporary folder removed at exit, set as the fake platform's; answers it.
std::string own_data_folder(const std::string& below);

// The whole text of a file; "" when it cannot be read.
std::string read_text(const std::string& path);

}  // namespace harness

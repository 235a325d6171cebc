// Shared set-up of the tests: headless SDL, the game's images, scripted
// keys, captured standard output and picture comparisons.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <SDL.h>

#include "support/fake_platform.h"

namespace harness {

// SDL's dummy video and audio drivers, so nothing opens or sounds.
void use_dummy_drivers();

// Makes the folder with the game's two images the working directory.
void enter_asset_dir();

// Starts SDL's video (for its event queue) and answers a 640 x 480 16-bit
// screen, the game's two images as the game loads them, for tests that
// call one subsystem directly.
struct Surfaces {
    SDL_Surface* screen;
    SDL_Surface* sprites;
    SDL_Surface* backdrop;
};
Surfaces open_surfaces();
// The game's two images as the game loads them, with `screen` (e.g. the
// video surface of the running game) as the screen.
Surfaces game_images(SDL_Surface* screen);

// Puts a key-down event for `key` into SDL's queue.
void press(SDLKey key);

// Runs `steps` steps of the game (the first of a run opens the window),
// stopping early when a step answers anything but 'Y'. Answers the last
// step's answer.
int run_frames(int steps);

// Redirects standard output into a file for the life of the object.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    std::string text();  // everything written so far
private:
    int saved_fd_;
    std::string path_;
};

Uint32 pixel(SDL_Surface* surface, int x, int y);

// True when the screen area at (x, y) shows what copying `source` from
// `sheet` over the plain backdrop gives (transparent pixels included).
bool shows_sprite(const Surfaces& s, SDL_Rect source, int x, int y);
// True when the screen area `area` shows the plain backdrop.
bool shows_backdrop(const Surfaces& s, SDL_Rect area);
// True when the score cell at (x, 14) shows the glyph of `digit` (0..9).
bool shows_digit(const Surfaces& s, int digit, int x);
// True when the whole screen is the backdrop with `source` copied over it
// at (x, y), clipped at the screen edges, and nothing else: no trails.
bool shows_only(const Surfaces& s, SDL_Rect source, int x, int y);

// The next `count` values of rand() from its unseeded start (the game never
// seeds it); rand() starts there again afterwards.
std::vector<int> unseeded_rand(int count);

// Runs `work` in a forked child (a fresh copy of this process, e.g. one
// whose rand() has not been drawn from) and answers what it returned.
std::string in_child(const std::function<std::string()>& work);

}  // namespace harness

// The tests' side of the platform seam: a virtual clock, hooks on waits and
// flips (where scripted keys are pushed into SDL's real event queue), and
// injected start-up failures.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include <SDL.h>

#include "base/platform.h"

namespace fake {

struct Platform {
    Uint32 clock_ms = 1000;      // what get_ticks answers
    Uint32 frame_cost_ms = 0;    // added to the clock by every flip
    bool fail_init = false;      // SDL_Init answers failure
    bool fail_video = false;     // SDL_SetVideoMode answers null
    bool page_flipping = false;  // the video mode claims two alternating buffers
    platform::DesktopMode desktop = {0, 0, 0};  // what desktop_mode answers (dummy driver: 0 x 0)
    SDL_Rect video_size = {0, 0, 0, 0};         // the last video mode asked for: size,
    int video_bpp = 0;                          // depth
    Uint32 video_flags = 0;                     // and flags
    // What app_state answers; active events taken from the queue change it.
    Uint8 app_state = SDL_APPACTIVE | SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS;
    SDL_version linked = {1, 2, 15};  // the library version the game is told
    std::time_t date = 1796569385;  // what now answers: 2026-12-06T15:03:05Z
    std::string data_folder;        // what data_folder answers: none unless a test sets one
    int flips = 0;
    int delays = 0;
    Uint32 waited_ms = 0;
    std::function<void(Uint32 ms)> on_delay;           // after the clock moved
    std::function<void(SDL_Surface* video)> on_flip;   // with the presented surface
    std::function<void(int sound)> on_sound;           // a sound starts (on the real mixer)
};

// The one instance the seam reads; tests set it up before the first step.
Platform& platform();

}  // namespace fake

// The few calls through which the game meets the machine: start-up, the
// desktop's mode, the clock, waits, events and presenting a picture. The game build links them
// straight to SDL (platform_sdl.cpp); the tests link a virtual clock and
// scripted input in their place.
#pragma once

#include <ctime>
#include <string>

#include <SDL.h>
#include <SDL_mixer.h>

namespace platform {

int init(Uint32 flags);

// The desktop's current size and depth, as SDL_GetVideoInfo tells them
// after SDL_Init and before the first SDL_SetVideoMode; 0 x 0 where the
// video driver cannot tell.
struct DesktopMode {
    int width;
    int height;
    int bits_per_pixel;
};
DesktopMode desktop_mode();

SDL_Surface* set_video_mode(int width, int height, int bpp, Uint32 flags);
Uint32 get_ticks();
void delay(Uint32 ms);
// Makes every later delay return at once (a timed demo plays unpaced).
void skip_waits();
int poll_event(SDL_Event* event);
int flip(SDL_Surface* video);

// SDL_GetAppState: whether the window is shown and has the keyboard focus.
Uint8 app_state();
// Starts the joystick subsystem and opens the first joystick: false when
// there is none (or no subsystem), which only means the game has no pad.
bool open_joystick();
// The version of the SDL library the game runs on, as SDL_Linked_Version.
SDL_version linked_version();
// Starts `chunk` on a mixer channel as Mix_PlayChannel does (-1: the first
// free one), repeated `loops` more times (-1: for ever); `sound` names it
// for whoever watches (the tests' platform records it).
int play_sound(int sound, int channel, Mix_Chunk* chunk, int loops);
// The date, for the games entered in the best-scores table.
std::time_t now();
// The folder of the player's game data (the best-scores table); "" when
// the machine names none.
std::string data_folder();

}  // namespace platform

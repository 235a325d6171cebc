// Helpers on the three surfaces that every subsystem draws with.
#pragma once

#include <SDL.h>

#include "base/screen_mode.h"

// Chooses the surface the game draws on. The drawing model needs a picture
// that persists from frame to frame; a video mode that page-flips between
// two buffers does not keep one, so the game then draws on a software
// surface of the same format and presents that. Returns null when that
// surface cannot be made.
SDL_Surface* open_persistent_screen(SDL_Surface* video);

// Presents the finished picture: one SDL_Flip of the video surface, after
// copying the persistent surface onto it when the two differ, or scaling
// it onto the window when the picture is shown scaled.
void present_screen(SDL_Surface* screen);

// Copies one area of the backdrop to the very same place on the screen.
// The blit's write-back goes into a copy, so `area` itself stays as it is
// and a clipped erase never shifts a later one.
void restore_area(SDL_Surface* screen, SDL_Surface* backdrop, SDL_Rect area);

// Copies the whole backdrop onto the screen at (0, 0).
void restore_backdrop(SDL_Surface* screen, SDL_Surface* backdrop);

// Copies the backdrop area `area` onto the screen with `area` as source
// and destination, so the blit writes the clipped rectangle back into it.
void restore_in_place(SDL_Surface* screen, SDL_Surface* backdrop, SDL_Rect& area);

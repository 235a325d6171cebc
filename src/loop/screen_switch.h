// F11: the game's picture between the window and full screen and back.
#pragma once

#include <SDL.h>

// Tells the switch, before the first video mode is set, what the start-up
// opens: the window at `scale` or full screen, shown scaled (on a picture
// of the game's own) or not (the plain 640 x 480 window the game draws on
// directly). Reads the desktop's size and depth while SDL still tells them.
void set_screen_mode(int scale, bool full_screen, bool scaled);

// Sets the window again, full screen when it was not and back, and answers
// the surface the game draws on from now on: `screen` itself, or once,
// from the plain window, a copy of it that the scaled window then shows.
// The picture is kept; the caller presents it. When the library refuses
// the new mode the old one is set again; when it refuses that too the run
// ends with "Video error" and status 1, as at start-up.
SDL_Surface* switch_full_screen(SDL_Surface* screen);

// Sharp scaling: the game draws its 640 x 480 picture as always, on a
// surface of its own, and every present copies it to a larger window with
// each pixel repeated factor x factor, converted to the window's pixel
// format on the way.
#pragma once

#include <SDL.h>

#include "base/platform.h"

// The window a scaled picture is shown in.
struct ScaledWindow {
    int width;
    int height;
    int bits_per_pixel;
    Uint32 flags;
    int factor;  // 0 when full screen cannot be had: desktop size unknown or too small
    int x;       // where the picture's top left corner lands in the window
    int y;
};

// Plans the window for `scale` or, with `full_screen`, for the whole
// desktop at its current size (read through the platform seam), so that
// the display's mode never changes: the picture then takes the largest
// whole factor that fits and is centred. The window takes the desktop's
// depth when it is 16, 24 or 32 bits, so nothing downstream converts
// pixels again; else 16.
ScaledWindow plan_scaled_window(int scale, bool full_screen);

// The same for the desktop `desktop`: once a video mode is set, SDL tells
// that mode's size and depth in place of the desktop's.
ScaledWindow plan_scaled_window(const platform::DesktopMode& desktop, int scale, bool full_screen);

// Opens the planned window and the 640 x 480 surface in the 16-bit format
// the game draws on, and builds the colour tables; answers that surface,
// or null when either cannot be had.
SDL_Surface* open_scaled_screen(const ScaledWindow& plan);

// Sets the window again for `plan` around `picture`, the 640 x 480 surface
// the game goes on drawing on (any 16-bit format), and builds the colour
// tables for it: F11 between window and full screen. False when the
// library refuses that window; nothing is shown until one is set.
bool reopen_scaled_window(SDL_Surface* picture, const ScaledWindow& plan);

// Copies `picture` to the scaled window (and paints the black border while
// a buffer of the window lacks it); answers the window, to be flipped, or
// null when no scaled window is open.
SDL_Surface* scale_to_window(SDL_Surface* picture);

#include "loop/screen_switch.h"

#include <cstdio>
#include <cstdlib>

#include "base/picture_scaler.h"

namespace {

platform::DesktopMode desktop = {0, 0, 0};
int window_scale = 1;
bool full_screen = false;
bool scaled = false;

// A surface of the screen's size and format holding its picture: what the
// game draws on once the plain window gives way to a scaled one.
SDL_Surface* copy_of(SDL_Surface* screen)
{
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h,
                                                format->BitsPerPixel, format->Rmask,
                                                format->Gmask, format->Bmask, format->Amask);
    if (picture != nullptr) {
        SDL_UpperBlit(screen, nullptr, picture, nullptr);
    }
    return picture;
}

}  // namespace

void set_screen_mode(int scale, bool full, bool shown_scaled)
{
    desktop = platform::desktop_mode();
    window_scale = scale;
    full_screen = full;
    scaled = shown_scaled;
}

SDL_Surface* switch_full_screen(SDL_Surface* screen)
{
    SDL_Surface* picture = scaled ? screen : copy_of(screen);
    if (picture == nullptr) {
        return screen;  // no memory for the copy: the window stays as it is
    }
    // The plain window's equal among the scaled ones is the 1x window.
    const ScaledWindow before =
        plan_scaled_window(desktop, scaled ? window_scale : 1, full_screen);
    const ScaledWindow after = plan_scaled_window(desktop, window_scale, !full_screen);
    scaled = true;
    if (after.factor > 0 && reopen_scaled_window(picture, after)) {
        full_screen = !full_screen;
        return picture;
    }
    if (!reopen_scaled_window(picture, before)) {
        std::fprintf(stderr, "Video error: %s\n", SDL_GetError());
        std::exit(1);
    }
    return picture;
}

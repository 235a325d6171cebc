#include "base/surfaces.h"

#include "base/frame_sums.h"
#include "base/picture_scaler.h"
#include "base/platform.h"

namespace {

SDL_Surface* video_surface = nullptr;

}  // namespace

SDL_Surface* open_persistent_screen(SDL_Surface* video)
{
    video_surface = video;
    if (!page_flips(video)) {
        return video;
    }
    const SDL_PixelFormat* format = video->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, video->w, video->h, format->BitsPerPixel,
                                format->Rmask, format->Gmask, format->Bmask, format->Amask);
}

void present_screen(SDL_Surface* screen)
{
    sum_presented_picture(screen);
    SDL_Surface* scaled_window = scale_to_window(screen);
    if (scaled_window != nullptr) {
        platform::flip(scaled_window);
        return;
    }
    if (video_surface != nullptr && screen != video_surface) {
        SDL_UpperBlit(screen, nullptr, video_surface, nullptr);
        platform::flip(video_surface);
        return;
    }
    platform::flip(screen);
}

void restore_area(SDL_Surface* screen, SDL_Surface* backdrop, SDL_Rect area)
{
    SDL_Rect destination = area;
    SDL_UpperBlit(backdrop, &area, screen, &destination);
}

void restore_backdrop(SDL_Surface* screen, SDL_Surface* backdrop)
{
    SDL_UpperBlit(backdrop, nullptr, screen, nullptr);
}

void restore_in_place(SDL_Surface* screen, SDL_Surface* backdrop, SDL_Rect& area)
{
    SDL_UpperBlit(backdrop, &area, screen, &area);
}

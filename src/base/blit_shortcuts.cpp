#include "base/blit_shortcuts.h"

#include <bitset>

#include "base/surfaces.h"

namespace {

// Every particle is the sheet's top-left pixel.
constexpr SDL_Rect kSheetPixel = {0, 0, 1, 1};

// What a one-pixel blit of the sheet's first pixel does on the screen:
// nothing (the pixel is the sheet's colour key), or the one value it
// writes whatever lay beneath. Where that cannot be known, the blit is made.
enum class SheetPixel { kBlit, kNothing, kValue };
SheetPixel sheet_pixel = SheetPixel::kBlit;
Uint16 sheet_pixel_value = 0;

// Whether blits from the backdrop copy pixel values as they are, except
// one equal to its colour key.
bool backdrop_by_value = false;

SDL_Rect one_pixel(std::int32_t x, std::int32_t y)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
}

Uint16& pixel_at(SDL_Surface* surface, int x, int y)
{
    Uint8* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<Uint16*>(row)[x];
}

// Whether a one-pixel blit to `place` reaches the screen: the place,
// narrowed to the rectangle's 16 bits, lies in the screen's clip area.
bool in_clip_area(const SDL_Surface* screen, const SDL_Rect& place)
{
    const SDL_Rect& clip = screen->clip_rect;
    return place.x >= clip.x && place.x < clip.x + clip.w && place.y >= clip.y &&
           place.y < clip.y + clip.h;
}

// Gives a 16-bit surface a colour key that none of its pixels has, if
// there is one: blits from it then skip no pixel.
void key_with_unused_value(SDL_Surface* image)
{
    std::bitset<65536> used;
    for (int y = 0; y < image->h; ++y) {
        for (int x = 0; x < image->w; ++x) {
            used.set(pixel_at(image, x, y));
        }
    }
    for (Uint32 value = 0; value < used.size(); ++value) {
        if (!used.test(value)) {
            SDL_SetColorKey(image, SDL_SRCCOLORKEY, value);
            return;
        }
    }
}

// Every erase copies a rectangle of the backdrop onto the screen. From the
// 24-bit image as loaded SDL converts each pixel the slow generic way, so
// an opaque backdrop is converted once to the screen's format (the very
// blit an erase would make, so no pixel changes). Between surfaces of one
// format SDL copies rows with non-temporal stores, which cost far more
// than they save on rows of 30 pixels; given a colour key that no pixel
// has, it takes its keyed 16-bit loop instead, which copies every pixel
// all the same. A backdrop that blends stays as loaded.
void hold_backdrop_for_erasing(const SDL_Surface* screen, SDL_Surface*& backdrop)
{
    if ((backdrop->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY)) != 0) {
        return;
    }
    SDL_Surface* converted = SDL_ConvertSurface(backdrop, screen->format, SDL_SWSURFACE);
    if (converted == nullptr) {
        return;
    }
    SDL_FreeSurface(backdrop);
    backdrop = converted;
    if (backdrop->format->BytesPerPixel == 2) {
        key_with_unused_value(backdrop);
    }
}

// A one-pixel blit costs SDL far more in clipping and set-up than the pixel
// itself, and every particle is the same copy of the sheet's first pixel.
// So SDL is asked once, on the first pixel of the screen's clip area, what
// that copy does: blitted over all-zero and over all-one bits, a copy that
// does not blend either leaves the pixel alone or writes one value. Keeps
// the blit for a sheet that blends, for a screen whose pixels are not
// 16-bit memory open to writing without a lock, and for an empty clip area.
void learn_sheet_pixel(SDL_Surface* screen, SDL_Surface* sprites)
{
    const SDL_Rect clip = screen->clip_rect;
    if (screen->format->BytesPerPixel != 2 || SDL_MUSTLOCK(screen) ||
        (sprites->flags & SDL_SRCALPHA) != 0 || clip.w == 0 || clip.h == 0) {
        return;
    }
    Uint16& probe = pixel_at(screen, clip.x, clip.y);
    const Uint16 kept = probe;
    const Uint16 under[2] = {0x0000, 0xFFFF};
    Uint16 seen[2];
    for (int i = 0; i < 2; ++i) {
        probe = under[i];
        SDL_Rect source = kSheetPixel;
        SDL_Rect place = one_pixel(clip.x, clip.y);
        SDL_UpperBlit(sprites, &source, screen, &place);
        seen[i] = probe;
    }
    probe = kept;
    if (seen[0] == under[0] && seen[1] == under[1]) {
        sheet_pixel = SheetPixel::kNothing;
    } else if (seen[0] == seen[1]) {
        sheet_pixel = SheetPixel::kValue;
        sheet_pixel_value = seen[0];
    }
}

// Blits from a backdrop held in the screen's own 16-bit format copy values,
// where it does not blend and neither surface needs a lock.
bool copies_by_value(const SDL_Surface* screen, const SDL_Surface* backdrop)
{
    const SDL_PixelFormat& from = *backdrop->format;
    const SDL_PixelFormat& to = *screen->format;
    return to.BytesPerPixel == 2 && from.BytesPerPixel == 2 && from.Rmask == to.Rmask &&
           from.Gmask == to.Gmask && from.Bmask == to.Bmask && from.Amask == to.Amask &&
           (backdrop->flags & SDL_SRCALPHA) == 0 && !SDL_MUSTLOCK(screen) &&
           !SDL_MUSTLOCK(backdrop);
}

}  // namespace

void prepare_blit_shortcuts(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface*& backdrop)
{
    hold_backdrop_for_erasing(screen, backdrop);
    learn_sheet_pixel(screen, sprites);
    backdrop_by_value = copies_by_value(screen, backdrop);
}

void draw_sheet_pixel(SDL_Surface* screen, SDL_Surface* sprites, std::int32_t x, std::int32_t y)
{
    SDL_Rect place = one_pixel(x, y);
    if (sheet_pixel == SheetPixel::kBlit) {
        SDL_Rect source = kSheetPixel;
        SDL_UpperBlit(sprites, &source, screen, &place);
        return;
    }
    if (sheet_pixel == SheetPixel::kValue && in_clip_area(screen, place)) {
        pixel_at(screen, place.x, place.y) = sheet_pixel_value;
    }
}

void restore_pixel(SDL_Surface* screen, SDL_Surface* backdrop, std::int32_t x, std::int32_t y)
{
    const SDL_Rect area = one_pixel(x, y);
    if (!backdrop_by_value) {
        restore_area(screen, backdrop, area);
        return;
    }
    // Clipped as the blit clips: to the backdrop, and to the screen's clip
    // area; a pixel equal to the backdrop's colour key is skipped.
    if (area.x < 0 || area.x >= backdrop->w || area.y < 0 || area.y >= backdrop->h ||
        !in_clip_area(screen, area)) {
        return;
    }
    const Uint16 value = pixel_at(backdrop, area.x, area.y);
    if ((backdrop->flags & SDL_SRCCOLORKEY) == 0 || value != backdrop->format->colorkey) {
        pixel_at(screen, area.x, area.y) = value;
    }
}

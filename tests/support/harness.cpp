#include "support/harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL_image.h>

namespace harness {

void use_dummy_drivers()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // An audio driver asked for stays: tests of the game without a device ask
    // for one that does not exist.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

Surfaces open_surfaces()
{
    use_dummy_drivers();
    SDL_Init(SDL_INIT_VIDEO);
    // Kept reachable for the whole run, like the game's own surfaces.
    static Surfaces s;
    s = {SDL_SetVideoMode(640, 480, 16, SDL_SWSURFACE), IMG_Load(FROSTRUN_ASSET_DIR "/sprites.png"),
         IMG_Load(FROSTRUN_ASSET_DIR "/background.png")};
    if (s.screen == nullptr || s.backdrop == nullptr || s.sprites == nullptr) {
        std::fprintf(stderr, "test surfaces: %s\n", SDL_GetError());
        std::abort();
    }
    SDL_SetColorKey(s.sprites, SDL_SRCCOLORKEY, 0);
    SDL_UpperBlit(s.backdrop, nullptr, s.screen, nullptr);
    return s;
}

unsigned long long picture_hash(SDL_Surface* surface)
{
    constexpr unsigned long long kOffsetBasis = 14695981039346656037ull;
    constexpr unsigned long long kPrime = 1099511628211ull;
    unsigned long long hash = kOffsetBasis;
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        const int words = surface->w * surface->format->BytesPerPixel / 4;
        for (int i = 0; i < words; ++i) {
            Uint32 word;
            std::memcpy(&word, row + 4 * i, 4);
            hash = (hash ^ word) * kPrime;
        }
    }
    SDL_UnlockSurface(surface);
    return hash;
}

namespace {

// The value of the pixel at (x, y), as many bytes as the surface's pixels have.
Uint32 pixel(SDL_Surface* surface, int x, int y)
{
    SDL_LockSurface(surface);
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Uint32 value = 0;
    std::memcpy(&value, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
    SDL_UnlockSurface(surface);
    return value;
}

}  // namespace

// The backdrop under the sprite's place with `source` of the sheet copied
// over it, made in the screen's format and compared with the screen there.
testing::AssertionResult shows_sprite(const Surfaces& s, SDL_Rect source, int x, int y)
{
    const SDL_PixelFormat* f = s.screen->format;
    SDL_Surface* expected = SDL_CreateRGBSurface(SDL_SWSURFACE, source.w, source.h, 16, f->Rmask,
                                                 f->Gmask, f->Bmask, 0);
    SDL_Rect from = {static_cast<Sint16>(x), static_cast<Sint16>(y), source.w, source.h};
    SDL_UpperBlit(s.backdrop, &from, expected, nullptr);
    SDL_UpperBlit(s.sprites, &source, expected, nullptr);
    testing::AssertionResult result = testing::AssertionSuccess();
    for (int row = 0; row < source.h && result; ++row) {
        for (int column = 0; column < source.w && result; ++column) {
            const Uint32 want = pixel(expected, column, row);
            const Uint32 got = pixel(s.screen, x + column, y + row);
            if (got != want) {
                result = testing::AssertionFailure() << "pixel (" << x + column << ", " << y + row
                                                     << ") is " << got << ", expected " << want;
            }
        }
    }
    SDL_FreeSurface(expected);
    return result;
}

testing::AssertionResult shows_digit(const Surfaces& s, int digit, int x)
{
    // Glyphs of the score on the sheet: even digits at x 0, odd ones at
    // x 10, two to a row, rows starting at these y.
    constexpr Sint16 kGlyphTop[5] = {0, 12, 22, 33, 44};
    constexpr Uint16 kGlyphSize = 10;
    constexpr int kScoreY = 14;
    const SDL_Rect glyph = {static_cast<Sint16>(digit % 2 * 10), kGlyphTop[digit / 2], kGlyphSize,
                            kGlyphSize};
    return shows_sprite(s, glyph, x, kScoreY);
}

}  // namespace harness

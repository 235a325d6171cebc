#include "base/picture_scaler.h"

#include <algorithm>
#include <cstring>

#include "base/platform.h"
#include "base/screen_mode.h"

namespace {

constexpr Uint32 kRedMask = 0xF800;  // RGB 565, the screen's 16-bit format
constexpr Uint32 kGreenMask = 0x07E0;
constexpr Uint32 kBlueMask = 0x001F;
constexpr int kFallbackDepth = 16;
constexpr int kByteValues = 256;

SDL_Surface* window = nullptr;  // null while the game draws on the window itself
int factor = 0;
int left = 0;
int top = 0;
int borders_to_paint = 0;  // buffers of the window that still lack the black border
// A 16-bit pixel in the window's format is the ORed values of its two
// bytes, each converted alone (see build_tables).
Uint32 from_low_byte[kByteValues];
Uint32 from_high_byte[kByteValues];

// Fills the two byte tables with SDL's own conversion. Every step of it
// masks and shifts bits (a channel widens to 8 bits by repeating its top
// bits below it, then narrows to the window's channel), and masks and
// shifts distribute over OR, so a pixel converts as its two bytes apart.
void build_tables(const SDL_PixelFormat* picture, const SDL_PixelFormat* target)
{
    for (Uint32 byte = 0; byte < kByteValues; ++byte) {
        Uint8 r, g, b;
        SDL_GetRGB(byte, const_cast<SDL_PixelFormat*>(picture), &r, &g, &b);
        from_low_byte[byte] = SDL_MapRGB(const_cast<SDL_PixelFormat*>(target), r, g, b);
        SDL_GetRGB(byte << 8, const_cast<SDL_PixelFormat*>(picture), &r, &g, &b);
        from_high_byte[byte] = SDL_MapRGB(const_cast<SDL_PixelFormat*>(target), r, g, b);
    }
}

// Stores one pixel of `Bytes` bytes, as SDL lays them out in memory.
template <int Bytes>
inline void put_pixel(Uint8* out, Uint32 value)
{
    if constexpr (Bytes == 3) {
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
        out[0] = static_cast<Uint8>(value);
        out[1] = static_cast<Uint8>(value >> 8);
        out[2] = static_cast<Uint8>(value >> 16);
#else
        out[0] = static_cast<Uint8>(value >> 16);
        out[1] = static_cast<Uint8>(value >> 8);
        out[2] = static_cast<Uint8>(value);
#endif
    } else if constexpr (Bytes == 2) {
        const Uint16 narrow = static_cast<Uint16>(value);
        std::memcpy(out, &narrow, sizeof narrow);
    } else {
        std::memcpy(out, &value, sizeof value);
    }
}

// Writes every picture row once into the window, each pixel converted and
// repeated `factor` times, then copies that row `factor - 1` times below.
// `Factor` is the factor when known at compile time (0: read `factor`), so
// that the common factors get loops the compiler unrolls.
template <int Bytes, int Factor>
void scale_rows(const SDL_Surface* picture)
{
    const int repeat = Factor != 0 ? Factor : factor;
    const std::size_t row_bytes = static_cast<std::size_t>(kScreenWidth * repeat * Bytes);
    for (int y = 0; y < kScreenHeight; ++y) {
        const Uint8* source = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        const auto* in = reinterpret_cast<const Uint16*>(source);
        Uint8* first = static_cast<Uint8*>(window->pixels) + (top + y * repeat) * window->pitch
                       + left * Bytes;
        Uint8* out = first;
        for (int x = 0; x < kScreenWidth; ++x) {
            const Uint32 value = from_low_byte[in[x] & 0xFF] | from_high_byte[in[x] >> 8];
            for (int copy = 0; copy < repeat; ++copy, out += Bytes) {
                put_pixel<Bytes>(out, value);
            }
        }
        for (int copy = 1; copy < repeat; ++copy) {
            std::memcpy(first + copy * window->pitch, first, row_bytes);
        }
    }
}

// scale_rows for the window's bytes per pixel and the factor in use.
template <int Bytes>
void scale_picture(const SDL_Surface* picture)
{
    switch (factor) {
    case 2:
        scale_rows<Bytes, 2>(picture);
        break;
    case 3:
        scale_rows<Bytes, 3>(picture);
        break;
    default:
        scale_rows<Bytes, 0>(picture);
        break;
    }
}

// Whether `video` holds the picture at `plan`'s factor and place.
bool fits(const SDL_Surface* video, const ScaledWindow& plan)
{
    return video->format->BytesPerPixel >= 2 && video->w >= plan.x + kScreenWidth * plan.factor
           && video->h >= plan.y + kScreenHeight * plan.factor;
}

// Makes `video` the window that scale_to_window fills from `picture`.
void take_window(const SDL_Surface* picture, SDL_Surface* video, const ScaledWindow& plan)
{
    build_tables(picture->format, video->format);
    window = video;
    factor = plan.factor;
    left = plan.x;
    top = plan.y;
    borders_to_paint = page_flips(video) ? 2 : 1;
}

}  // namespace

ScaledWindow plan_scaled_window(int scale, bool full_screen)
{
    return plan_scaled_window(platform::desktop_mode(), scale, full_screen);
}

ScaledWindow plan_scaled_window(const platform::DesktopMode& desktop, int scale, bool full_screen)
{
    const int depth = desktop.bits_per_pixel;
    const int bits = depth == 16 || depth == 24 || depth == 32 ? depth : kFallbackDepth;
    if (!full_screen) {
        return {kScreenWidth * scale, kScreenHeight * scale, bits, kVideoFlags, scale, 0, 0};
    }
    const int fit = std::min(desktop.width / kScreenWidth, desktop.height / kScreenHeight);
    if (fit < 1) {
        return {0, 0, 0, 0, 0, 0, 0};
    }
    return {desktop.width,
            desktop.height,
            bits,
            kVideoFlags | SDL_FULLSCREEN,
            fit,
            (desktop.width - kScreenWidth * fit) / 2,
            (desktop.height - kScreenHeight * fit) / 2};
}

SDL_Surface* open_scaled_screen(const ScaledWindow& plan)
{
    SDL_Surface* video =
        platform::set_video_mode(plan.width, plan.height, plan.bits_per_pixel, plan.flags);
    if (video == nullptr) {
        return nullptr;
    }
    if (!fits(video, plan)) {
        SDL_SetError("the window is not the %d x %d at %d bits asked for", plan.width, plan.height,
                     plan.bits_per_pixel);
        return nullptr;
    }
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, kScreenWidth, kScreenHeight,
                                                kScreenDepth, kRedMask, kGreenMask, kBlueMask, 0);
    if (picture == nullptr) {
        return nullptr;
    }
    take_window(picture, video, plan);
    return picture;
}

bool reopen_scaled_window(SDL_Surface* picture, const ScaledWindow& plan)
{
    window = nullptr;
    SDL_Surface* video =
        platform::set_video_mode(plan.width, plan.height, plan.bits_per_pixel, plan.flags);
    if (video == nullptr || !fits(video, plan)) {
        return false;
    }
    take_window(picture, video, plan);
    return true;
}

SDL_Surface* scale_to_window(SDL_Surface* picture)
{
    if (window == nullptr) {
        return nullptr;
    }
    if (borders_to_paint > 0) {
        SDL_FillRect(window, nullptr, SDL_MapRGB(window->format, 0, 0, 0));
        borders_to_paint -= 1;
    }
    if (SDL_MUSTLOCK(window) && SDL_LockSurface(window) != 0) {
        return window;
    }
    switch (window->format->BytesPerPixel) {
    case 2:
        scale_picture<2>(picture);
        break;
    case 3:
        scale_picture<3>(picture);
        break;
    default:
        scale_picture<4>(picture);
        break;
    }
    if (SDL_MUSTLOCK(window)) {
        SDL_UnlockSurface(window);
    }
    return window;
}

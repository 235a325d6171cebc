// Full screen through the platform seam, which tells the desktop's mode: the
// mode asked for, the factor and place of the picture, the border in both
// buffers, and the fall-back to the plain window.
#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "base/picture_scaler.h"
#include "loop/game_loop.h"
#include "support/harness.h"

namespace {

constexpr int kFrames = 3;  // presented after the start-up step

// Plays the start-up step and kFrames frames with `full_screen` on `desktop`, in a page-flipping
// mode whose other buffer starts out grey; answers the mode asked for, then the presented frames.
std::string play(platform::DesktopMode desktop, bool full_screen)
{
    fake::Platform& fake = fake::platform();
    fake.desktop = desktop, fake.page_flipping = true;
    std::string frames, back;
    fake.on_flip = [&](SDL_Surface* video) {
        const std::string::size_type size = static_cast<size_t>(video->pitch) * video->h;
        frames.append(static_cast<char*>(video->pixels), size), back.resize(size, '\x55');
        std::swap_ranges(back.begin(), back.end(), static_cast<char*>(video->pixels));
    };
    harness::use_dummy_drivers(), harness::enter_asset_dir(), set_window_options(1, full_screen);
    harness::run_frames(1 + kFrames);
    char mode[64];
    std::snprintf(mode, sizeof mode, "%dx%dx%d %08x|", fake.video_size.w, fake.video_size.h, fake.video_bpp, fake.video_flags);
    return mode + frames;
}

// True when `shown`, frames of `window`, are the plain 640 x 480 16-bit frames with each pixel
// repeated `k` x `k` at (x0, y0) on black, each colour as SDL converts it to the window's format.
bool scaled_on_black(const std::string& shown, const std::string& plain, SDL_Surface* window, int k, int x0, int y0)
{
    SDL_Surface* picture = SDL_CreateRGBSurface(0, 1, 1, 16, 0xF800, 0x07E0, 0x001F, 0);  // the plain frames' format
    const int bytes = window->format->BytesPerPixel;
    const size_t size = static_cast<size_t>(window->pitch) * window->h;
    bool same = plain.size() == 640u * 480 * 2 * kFrames && shown.size() == size * kFrames;
    for (size_t i = 0; same && i < shown.size(); i += bytes) {
        const int x = static_cast<int>(i % size) % window->pitch / bytes - x0, y = static_cast<int>(i % size) / window->pitch - y0;
        Uint8 r = 0, g = 0, b = 0;
        Uint16 value = 0;
        if (x >= 0 && y >= 0 && x < 640 * k && y < 480 * k) {
            std::memcpy(&value, plain.data() + i / size * 640 * 480 * 2 + (y / k * 640 + x / k) * 2, 2);
            SDL_GetRGB(value, picture->format, &r, &g, &b);
        }
        Uint32 got = 0;  // a little-endian machine's pixel
        std::memcpy(&got, shown.data() + i, bytes);
        same = got == SDL_MapRGB(window->format, r, g, b);
    }
    SDL_FreeSurface(picture);
    return same;
}

}  // namespace

TEST(ScaledWindow, FullScreenTakesTheDesktopsSizeAndTheLargestWholeFactorCentred)
{
    const struct { int width, height, factor, x, y; } cases[] = {
        {1920, 1080, 2, 320, 60}, {1366, 768, 1, 363, 144}, {1365, 767, 1, 362, 143}, {7680, 4320, 9, 960, 0},
        {0, 0, 0, 0, 0}, {600, 400, 0, 0, 0}, {639, 4320, 0, 0, 0}};
    for (const auto& c : cases) {
        fake::platform().desktop = {c.width, c.height, 24};
        const ScaledWindow plan = plan_scaled_window(4, true);
        EXPECT_TRUE(plan.factor == c.factor && plan.x == c.x && plan.y == c.y) << c.width << "x" << c.height;
        if (plan.factor > 0) {
            EXPECT_TRUE(plan.width == c.width && plan.height == c.height && plan.bits_per_pixel == 24);
            EXPECT_EQ(plan.flags, SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_FULLSCREEN);
        }
    }
    fake::platform().desktop = {0, 0, 8};  // windowed; a depth other than 16, 24 or 32 gives 16
    const ScaledWindow plan = plan_scaled_window(4, false);
    EXPECT_TRUE(plan.width == 2560 && plan.height == 1920 && plan.bits_per_pixel == 16 && plan.factor == 4);
}

TEST(ScaledWindow, FullScreenShowsEveryFrameDoubledOnBlackOrFallsBackToThePlainWindow)
{
    const std::string plain = harness::in_child([] { return play({0, 0, 0}, false); });
    const std::string plain_mode = "640x480x16 40000001|";
    ASSERT_EQ(plain.substr(0, plain_mode.size()), plain_mode);
    for (const int depth : {32, 24}) {
        const std::string full = harness::in_child([&] {
            const std::string shown = play({1920, 1080, depth}, true);
            const size_t bar = shown.find('|') + 1;
            const bool as_expected = scaled_on_black(shown.substr(bar), plain.substr(plain_mode.size()), SDL_GetVideoSurface(), 2, 320, 60);
            return shown.substr(0, bar) + (as_expected ? "as expected" : "differ");
        });
        EXPECT_EQ(full, "1920x1080x" + std::to_string(depth) + " c0000001|as expected");
    }
    // Without a desktop size, or too small a one: the plain window and its frames, and one line.
    for (const platform::DesktopMode desktop : {platform::DesktopMode{0, 0, 32}, platform::DesktopMode{600, 400, 16}}) {
        const std::string fallen = harness::in_child([&] {
            testing::internal::CaptureStderr();
            const std::string shown = play(desktop, true);
            return testing::internal::GetCapturedStderr() + (shown == plain ? "as without options" : "differ");
        });
        EXPECT_EQ(fallen, "Frostrun - version 0.1 \nfrostrun: the desktop's size is unknown or below 640 x 480; "
                          "playing in a 640 x 480 window\nas without options");
    }
}

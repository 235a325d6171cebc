// The window a scale or full screen asks for, through the platform seam,
// which tells the desktop's mode. Whole sessions in a scaled window or full
// screen are the replays' (Replay.scaled_*).
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/picture_scaler.h"
#include "loop/game_loop.h"
#include "support/harness.h"

namespace {

constexpr Uint32 kPlainFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;

}  // namespace

// Full screen takes the desktop's own size and depth and the largest whole
// factor that fits, centred; a desktop of unknown size or below 640 x 480
// gives no plan (factor 0). A window of a given scale takes a depth other
// than 16, 24 or 32 as 16.
TEST(ScaledWindow, FullScreenTakesTheDesktopsSizeAndTheLargestWholeFactorCentred)
{
    const struct {
        int width, height, factor, x, y;
    } cases[] = {
        {1920, 1080, 2, 320, 60},  // (1920 - 1280) / 2, (1080 - 960) / 2
        {1366, 768, 1, 363, 144},
        {1365, 767, 1, 362, 143},  // odd leftovers round down
        {7680, 4320, 9, 960, 0},   // 4320 / 480: beyond the largest --scale
        {0, 0, 0, 0, 0},           // the dummy driver's unknown size
        {600, 400, 0, 0, 0},
        {639, 4320, 0, 0, 0},
    };
    for (const auto& c : cases) {
        fake::platform().desktop = {c.width, c.height, 24};
        const ScaledWindow plan = plan_scaled_window(4, true);
        EXPECT_EQ(plan.factor, c.factor) << c.width << " x " << c.height;
        EXPECT_EQ(plan.x, c.x) << c.width << " x " << c.height;
        EXPECT_EQ(plan.y, c.y) << c.width << " x " << c.height;
        if (plan.factor > 0) {
            EXPECT_EQ(plan.width, c.width);
            EXPECT_EQ(plan.height, c.height);
            EXPECT_EQ(plan.bits_per_pixel, 24);
            EXPECT_EQ(plan.flags, kPlainFlags | SDL_FULLSCREEN);
        }
    }
    fake::platform().desktop = {0, 0, 8};
    const ScaledWindow plan = plan_scaled_window(4, false);
    EXPECT_EQ(plan.width, 4 * 640);
    EXPECT_EQ(plan.height, 4 * 480);
    EXPECT_EQ(plan.bits_per_pixel, 16);
    EXPECT_EQ(plan.factor, 4);
}

// Full screen on a desktop too small: one line says so, and the game opens
// the plain window with the same call as without options.
TEST(ScaledWindow, FullScreenOnTooSmallADesktopFallsBackToThePlainWindow)
{
    fake::Platform& fake = fake::platform();
    fake.desktop = {600, 400, 16};
    harness::use_dummy_drivers();
    ASSERT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);  // the game reads its images from there
    set_window_options(1, true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(game_step(), 'Y');
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Frostrun - version 0.1 \nfrostrun: the desktop's size is unknown or below 640 x "
              "480; playing in a 640 x 480 window\n");
    EXPECT_EQ(fake.video_size.w, 640);
    EXPECT_EQ(fake.video_size.h, 480);
    EXPECT_EQ(fake.video_bpp, 16);
    EXPECT_EQ(fake.video_flags, kPlainFlags);
}

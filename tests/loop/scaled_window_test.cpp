// The window a scale or full screen asks for, through the platform seam,
// which tells the desktop's mode. Whole sessions in a scaled window or full
// screen are the replays' (Replay.scaled_*).
#include <unistd.h>

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "base/picture_scaler.h"
#include "loop/game_loop.h"
#include "support/harness.h"

// Full screen takes the desktop's own size and depth and the largest whole
// factor that fits, centred; a desktop of unknown size or below 640 x 480
// gives no plan (factor 0), and the game plays in the plain window. A
// window of a given scale takes a depth other than 16, 24 or 32 as 16.
TEST(ScaledWindow, FullScreenTakesTheDesktopsSizeTheLargestFactorCentredOrThePlainWindow)
{
    const auto plan = [](int width, int height, int bits, int scale, bool full_screen) {
        fake::platform().desktop = {width, height, bits};
        const ScaledWindow p = plan_scaled_window(scale, full_screen);
        const bool full = p.flags == (SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_FULLSCREEN);
        return std::to_string(p.width) + "x" + std::to_string(p.height) + "x" +
               std::to_string(p.bits_per_pixel) + (full ? " full" : "") + " by " +
               std::to_string(p.factor) + " at " + std::to_string(p.x) + "," + std::to_string(p.y);
    };
    EXPECT_EQ(plan(1920, 1080, 24, 4, true), "1920x1080x24 full by 2 at 320,60");
    EXPECT_EQ(plan(1366, 768, 24, 4, true), "1366x768x24 full by 1 at 363,144");
    EXPECT_EQ(plan(1365, 767, 24, 4, true), "1365x767x24 full by 1 at 362,143");  // rounds down
    EXPECT_EQ(plan(7680, 4320, 24, 4, true), "7680x4320x24 full by 9 at 960,0");  // past --scale
    // The dummy driver's unknown size, and too small.
    for (const auto& [w, h] : {std::pair(0, 0), std::pair(600, 400), std::pair(639, 4320)}) {
        const std::string none = plan(w, h, 24, 4, true);
        EXPECT_NE(none.find(" by 0 at 0,0"), std::string::npos) << none;
    }
    EXPECT_EQ(plan(0, 0, 8, 4, false), "2560x1920x16 by 4 at 0,0");

    // Full screen on a desktop too small: one line says so, and the game
    // opens the plain window with the same call as without options.
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
    EXPECT_EQ(fake.video_flags, static_cast<Uint32>(SDL_HWSURFACE | SDL_DOUBLEBUF));
}

#include <gtest/gtest.h>

#include "support/harness.h"

TEST(Smoke, RunsTenFramesAndQuits)
{
    harness::use_dummy_drivers();
    harness::enter_asset_dir();
    harness::StdoutCapture out;
    EXPECT_EQ(harness::run_frames(11), 'Y');
    harness::press(SDLK_q);
    EXPECT_EQ(harness::run_frames(1), 'N');
    EXPECT_NE(out.text().find("the colorkey is 0\n"), std::string::npos);
}

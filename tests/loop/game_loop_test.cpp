// The game's start-up failures. Whole sessions are the replays'
// (tests/replay) and the real window's (tests/e2e).
#include <gtest/gtest.h>

#include "loop/game_loop.h"
#include "support/harness.h"

// SDL that cannot start: the caption, the reason, no window, answer 0; a
// video mode that cannot be set ends the run with status 1 (the installed
// game without a video driver: tests/install/install_test.sh).
TEST(StartUp, FailuresReportOnStandardErrorAndEndWithStatusOne)
{
    harness::use_dummy_drivers();
    fake::platform().fail_init = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(game_step(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Frostrun - version 0.1 SDL error: no video device (injected)\n");
    EXPECT_EQ(SDL_GetVideoSurface(), nullptr);
    fake::platform().fail_init = false;
    fake::platform().fail_video = true;
    EXPECT_EXIT(game_step(), testing::ExitedWithCode(1),
                "^Frostrun - version 0\\.1 Video error: no such mode \\(injected\\)\n$");
}

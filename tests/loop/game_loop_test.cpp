// The game's start-up failures. Whole sessions are the replays'
// (tests/replay) and the real window's (tests/e2e).
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "loop/game_loop.h"
#include "support/harness.h"

namespace {

const std::string kCaption = "Frostrun - version 0.1 ";

}  // namespace

// SDL that cannot start: the caption, the reason, no window, answer 0; a
// video mode that cannot be set ends the run with status 1. The game
// binary, given a video driver that does not exist, says so and ends 1.
TEST(StartUp, FailuresReportOnStandardErrorAndEndWithStatusOne)
{
    harness::use_dummy_drivers();
    fake::platform().fail_init = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(game_step(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              kCaption + "SDL error: no video device (injected)\n");
    EXPECT_EQ(SDL_GetVideoSurface(), nullptr);
    fake::platform().fail_init = false;
    fake::platform().fail_video = true;
    EXPECT_EXIT(game_step(), testing::ExitedWithCode(1),
                "^Frostrun - version 0\\.1 Video error: no such mode \\(injected\\)\n$");

    const auto tests = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string game = (tests.parent_path() / "frostrun").string();
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    // timeout: a game that started anyway is stopped after 20 s instead of hanging the suite.
    const std::string drivers =
        "XDG_DATA_HOME=/nonexistent SDL_VIDEODRIVER=none SDL_AUDIODRIVER=dummy timeout 20 '";
    const int status = std::system((drivers + game + "'").c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(err.rfind(kCaption + "SDL error: ", 0), 0u) << err;
    EXPECT_EQ(err.back(), '\n') << err;
}

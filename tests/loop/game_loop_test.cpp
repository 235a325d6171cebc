// The game loop's own cases. Whole sessions (walking, jumping, q followed by
// another key, output per frame, damaged images) are in Replay.walk,
// Hostile.Images and the real-window test.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "loop/game_loop.h"
#include "base/keyboard.h"
#include "support/harness.h"

namespace {

const std::string kCaption = "Frostrun - version 0.1 ";

// Walks right for 30 frames; answers the last picture presented. With `page_flipping` the video
// surface acts as two alternating buffers: after a flip the game finds the other one's old picture.
std::string walk_picture(bool page_flipping)
{
    std::string last, back;
    fake::platform().page_flipping = page_flipping;
    fake::platform().on_flip = [&](SDL_Surface* video) {
        char* pixels = static_cast<char*>(video->pixels);
        last.assign(pixels, static_cast<size_t>(video->pitch) * video->h), back.resize(last.size());
        if (page_flipping) std::swap_ranges(back.begin(), back.end(), pixels);
    };
    harness::use_dummy_drivers(), harness::enter_asset_dir(), harness::run_frames(1);
    harness::press(SDLK_RIGHT), harness::run_frames(30);
    return last;
}

}  // namespace

TEST(Keyboard, MapsTheTableRepeatsTheLastCodeAndNeverRemembersQuit)
{
    const std::pair<SDLKey, int> script[] = {{SDLK_DOWN, 0}, {SDLK_q, 'N'}, {SDLK_a, 0}, {SDLK_SPACE, 'U'}, {SDLK_a, 'U'}, {SDLK_UP, 'S'},
                                             {SDLK_DOWN, 'S'}, {SDLK_RIGHT, 'R'}, {SDLK_q, 'N'}, {SDLK_LSHIFT, 'R'}, {SDLK_LEFT, 'L'}, {SDLK_x, 'L'}};
    for (const auto& [key, code] : script) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN, event.key.keysym = {0, key, KMOD_LSHIFT, 'Q'};  // only the symbol counts
        EXPECT_EQ(read_direction_key(&event), code) << key;
    }
}

TEST(GameLoop, PageFlippingModeStillPresentsTheWholePersistentPicture)
{
    const std::string plain = harness::in_child([] { return walk_picture(false); });
    ASSERT_EQ(plain.size(), 640u * 480 * 2);
    EXPECT_TRUE(walk_picture(true) == plain);
}

TEST(StartUp, FailuresReportOnStandardErrorAndEndWithStatusOne)
{
    harness::use_dummy_drivers();
    fake::platform().fail_init = true;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(game_step() == 0 && SDL_GetVideoSurface() == nullptr);  // no window
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kCaption + "SDL error: no video device (injected)\n");
    fake::platform().fail_init = false;
    EXPECT_EXIT((fake::platform().fail_video = true, game_step()), testing::ExitedWithCode(1),
                "^Frostrun - version 0\\.1 Video error: no such mode \\(injected\\)\n$");
    // The game binary itself, built beside the tests' folder, given a video driver that does not exist.
    testing::internal::CaptureStderr(), testing::internal::CaptureStdout();
    const auto game = std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "frostrun";
    const int status = std::system(("SDL_VIDEODRIVER=none SDL_AUDIODRIVER=dummy timeout 20 '" + game.string() + "'").c_str());
    const std::string err = testing::internal::GetCapturedStderr(), out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_TRUE(out.empty() && err.rfind(kCaption + "SDL error: ", 0) == 0 && std::count(err.begin(), err.end(), '\n') == 1) << err;
}

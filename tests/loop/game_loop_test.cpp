// The game loop as a player meets it: keys, frames, output and start-up.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "loop/game_loop.h"
#include "loop/keyboard.h"
#include "support/harness.h"

namespace {

namespace fs = std::filesystem;
const std::string kCaption = "Frostrun - version 0.1 ";
const SDL_Rect kCells[6] = {{299, 5, 40, 65}, {299, 70, 40, 65}, {299, 135, 40, 65}, {260, 5, 40, 65}, {260, 70, 40, 65}, {260, 135, 40, 65}};

const harness::Surfaces& shown()  // the picture last presented, and the game's images
{
    static harness::Surfaces s{SDL_GetVideoSurface(), IMG_Load(FROSTRUN_ASSET_DIR "/sprites.png"), IMG_Load(FROSTRUN_ASSET_DIR "/background.png")};
    return SDL_SetColorKey(s.sprites, SDL_SRCCOLORKEY, 0), s;
}

bool figure_at(int x, int y) { return std::any_of(kCells, kCells + 6, [&](SDL_Rect c) { return harness::shows_sprite(shown(), c, x, y); }); }

int frames(int count, const std::vector<SDLKey>& keys = {})  // the keys reach the first frame together
{
    std::for_each(keys.begin(), keys.end(), harness::press);
    return harness::run_frames(count);
}

void start() { harness::use_dummy_drivers(), harness::enter_asset_dir(), harness::run_frames(1); }

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
    start(), frames(30, {SDLK_RIGHT});
    return last;
}

std::string slurp(const fs::path& path) { std::ostringstream text; return (text << std::ifstream(path).rdbuf()), text.str(); }

// Runs the game binary, built beside the tests' folder, in a fresh folder that `prepare` fills.
int run_game(const char* video, std::string& out, std::string& err, const std::function<void(const fs::path&)>& prepare = {})
{
    char name[] = "/tmp/frostrun-run-XXXXXX";
    const fs::path dir = mkdtemp(name), game = fs::canonical("/proc/self/exe").parent_path().parent_path() / "frostrun";
    if (prepare) prepare(dir);
    const int status = std::system(("cd " + dir.string() + " && SDL_VIDEODRIVER=" + video + " SDL_AUDIODRIVER=dummy timeout 20 '" +
                                    game.string() + "' >out 2>err").c_str());
    out = slurp(dir / "out"), err = slurp(dir / "err"), fs::remove_all(dir);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

TEST(GameLoop, ScriptedRunMovesTheFigureShowsTheLivesAndPrintsALinePerFrame)
{
    // Per frame: the keys pressed before it, where the figure then stands. A key after q in the same
    // frame cancels the quit; space while steering right jumps for one frame, then right goes on.
    const struct { std::vector<SDLKey> keys; int x, y; } script[] = {{{SDLK_RIGHT}, 302, 410}, {{SDLK_q, SDLK_LSHIFT}, 304, 410},
        {{SDLK_q, SDLK_DOWN}, 306, 410}, {{SDLK_q, SDLK_LEFT}, 304, 410}, {{SDLK_RIGHT}, 306, 410}, {{SDLK_SPACE}, 306, 410},
        {{}, 308, 409}, {{}, 310, 408}};
    std::string out, trail, expected = "the colorkey is 0\n\n0, delay is 10 ms\n";
    testing::internal::CaptureStderr();
    {
        harness::StdoutCapture capture;
        start();
        for (const auto& frame : script) trail += frames(1, frame.keys) == 'Y' && figure_at(frame.x, frame.y) ? '.' : 'x';
        trail += char(frames(1, {SDLK_q}));
        out = capture.text();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kCaption);
    EXPECT_TRUE(trail == "........N" && fake::platform().flips == 9) << trail;  // the quit frame is presented too
    EXPECT_TRUE(harness::shows_sprite(shown(), kCells[0], 310, 408));
    for (int y : {30, 57, 84}) EXPECT_TRUE(harness::shows_on_top(shown(), {300, 5, 33, 22}, 600, y)) << y;
    for (int frame = 2; frame <= 9; ++frame) expected += "\n10, delay is 10 ms\n";
    EXPECT_EQ(out, expected);
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

    std::string out, err;  // the real game, given a video driver that does not exist
    EXPECT_EQ(run_game("none", out, err), 1);
    EXPECT_TRUE(out.empty() && err.rfind(kCaption + "SDL error: ", 0) == 0 && std::count(err.begin(), err.end(), '\n') == 1) << err;
    const char* names[2] = {"background.png", "sprites.png"};
    for (const std::string files : {"mm", "eg", "jj", "cg", "gm", "ge", "gc"}) {  // good, missing, empty, junk, cut short
        std::string line;
        EXPECT_EQ(run_game("dummy", out, err, [&](const fs::path& dir) {
            for (int i = 0; i < 2; ++i) {
                const std::string good = slurp(fs::path(FROSTRUN_ASSET_DIR) / names[i]), cut = good.substr(0, 300);
                if (files[i] != 'm') std::ofstream(dir / names[i]) << (files[i] == 'g' ? good : files[i] == 'c' ? cut : files[i] == 'j' ? "junk" : "");
            }
            const char* failing = names[files[0] == 'g'];  // the same load here gives the cause to report
            EXPECT_TRUE(chdir(dir.c_str()) == 0 && IMG_Load(failing) == nullptr);
            line = std::string("Image error: ") + failing + ": " + IMG_GetError() + "\n";
        }), 1) << files;
        EXPECT_TRUE(out.empty() && err.rfind(kCaption, 0) == 0 && err.size() > line.size() && err.substr(err.size() - line.size()) == line)
            << files << ": " << err << "wanted " << line;
    }
}

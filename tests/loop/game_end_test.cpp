// The end of a run: the table entry, the game-over screen after the last
// life, and --scores in the game binary.
#include <sys/wait.h>
#include <unistd.h>

#include <SDL_image.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "loop/game_loop.h"
#include "screens/lives.h"
#include "support/harness.h"

namespace {

const std::string kDate = "2026-12-06T15:03:05Z";  // the fake platform's date

// A data folder of this test's own; answers its table file.
std::string fresh_table()
{
    static char root[] = "/tmp/frostrun-end-XXXXXX";
    const std::string folder = mkdtemp(root);
    std::atexit([] { std::filesystem::remove_all(root); });
    fake::platform().data_folder = folder + "/frostrun";
    return folder + "/frostrun/scores";
}

std::string read_text(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The game started, one frame played with `key` pressed.
char start_and_play(SDLKey key)
{
    harness::use_dummy_drivers();
    EXPECT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);  // the game reads its images from there
    testing::internal::CaptureStdout();
    game_step();
    fake::press(key);
    const char answer = static_cast<char>(game_step());
    testing::internal::GetCapturedStdout();
    return answer;
}

}  // namespace

// The last life gone, keys pressed in the crash are dropped; the screen
// shows until space, with nothing on standard output, and the game is in
// the table.
TEST(GameEnd, TheLastLifeShowsTheGameOverScreen)
{
    const std::string table = fresh_table();
    start_and_play(SDLK_UP);
    SDL_Surface* sheet = IMG_Load("sprites.png");
    SDL_SetColorKey(sheet, SDL_SRCCOLORKEY, 0);
    SDL_Rect figure = {300, 410, 40, 65};
    for (int life = 0; life < 3; ++life) {
        lives_event(SDL_GetVideoSurface(), sheet, sheet, kLivesCrash, &figure);
    }
    fake::press(SDLK_q);
    fake::Platform& fake = fake::platform();
    fake.on_delay = [](Uint32) { fake::press(SDLK_SPACE); };
    const int flips = fake.flips;
    const int delays = fake.delays;
    testing::internal::CaptureStdout();
    finish_run();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fake.flips, flips + 1);
    EXPECT_EQ(fake.delays, delays + 1);  // one poll, then space
    const harness::Surfaces shown = {SDL_GetVideoSurface(), sheet, IMG_Load("background.png")};
    EXPECT_TRUE(harness::shows_sprite(shown, {0, 300, 133, 21}, 253, 60));
    EXPECT_EQ(read_text(table), "frostrun scores 1\n0 1 " + kDate + "\n");
}

// q enters the game without the screen.
TEST(GameEnd, QEntersTheGameWithoutTheScreen)
{
    const std::string table = fresh_table();
    ASSERT_EQ(start_and_play(SDLK_q), 'N');
    const int flips = fake::platform().flips;
    finish_run();
    EXPECT_EQ(fake::platform().flips, flips);
    EXPECT_EQ(read_text(table), "frostrun scores 1\n0 1 " + kDate + "\n");
}

// --scores prints the table, or says it is empty; a damaged one is one
// line on standard error and status 1, and stays as it is.
TEST(GameEnd, ScoresOptionPrintsTheTableAndChangesNothing)
{
    const std::string table = fresh_table();
    const auto tests = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string command = "XDG_DATA_HOME=" + table.substr(0, table.size() - 16) + " '" +
                                (tests.parent_path() / "frostrun").string() + "' --scores";
    const struct {
        std::string text;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"", 0, "No games in the best-scores table yet (" + table + ").\n", ""},
        {"frostrun scores 1\n1234 12 " + kDate + "\n7 1 2026-01-02T03:04:05Z\n", 0,
         "Best games (" + table + "):\nrank        score  level  date\n"
         "   1         1234     12  2026-12-06 15:03:05 UTC\n"
         "   2            7      1  2026-01-02 03:04:05 UTC\n", ""},
        {"frostrun scores 1\n-1 1 " + kDate + "\n", 1, "",
         "frostrun: the score table " + table + " cannot be read: not a score table\n"},
    };
    for (const auto& c : cases) {
        if (!c.text.empty()) {
            std::filesystem::create_directories(std::filesystem::path(table).parent_path());
            std::ofstream(table) << c.text;
        }
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = std::system(command.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_EQ(read_text(table), c.text);
        EXPECT_EQ(std::filesystem::exists(table) ? 1 : 0,
                  std::distance(std::filesystem::directory_iterator(
                                    std::filesystem::path(table).parent_path().parent_path()),
                                std::filesystem::directory_iterator()));
    }
}

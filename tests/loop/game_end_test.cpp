// The end of a run: the game in the table, the game-over screen after the
// last life, and --scores in the game binary.
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
#include "screens/score_display.h"
#include "support/harness.h"
#include "world/world_state.h"
#include "world/world_tick.h"

namespace {

const std::string kGames = "2048 12 2026-01-02T03:04:05Z\n70 2 2026-12-06T15:03:05Z\n";

// A table file in a data folder of this test's own, holding `text`.
std::string table_holding(const std::string& text)
{
    static char root[] = "/tmp/frostrun-end-XXXXXX";
    fake::platform().data_folder = std::string(mkdtemp(root)) + "/frostrun";
    std::atexit([] { std::filesystem::remove_all(root); });
    std::filesystem::create_directory(fake::platform().data_folder);
    std::ofstream(fake::platform().data_folder + "/scores") << text;
    return fake::platform().data_folder + "/scores";
}

std::string read_text(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Whether the screen shows `number` in the score's glyphs, ending at `right`.
bool shows_number(const harness::Surfaces& s, long long number, int right, int y)
{
    bool shown = true;
    for (int x = right - 10; shown && (x == right - 10 || number > 0); x -= 10, number /= 10) {
        shown = harness::shows_sprite(s, score_glyph(static_cast<int>(number % 10)), x, y);
    }
    return shown;
}

}  // namespace

// The last life gone, keys pressed in the crash are dropped; the screen
// shows GAME OVER, the true score, the level and the best games, this one
// marked below the earlier game of the same score, until space, with
// nothing on standard output.
TEST(GameEnd, TheLastLifeShowsTheScoreAndTheBestGamesThisOneMarked)
{
    const std::string table = table_holding("frostrun scores 1\n" + kGames);
    harness::use_dummy_drivers();
    ASSERT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);  // the game reads its images from there
    testing::internal::CaptureStdout();
    game_step();
    game_step();
    testing::internal::GetCapturedStdout();
    // A true score past 999 (the display shows 048), as high as the best game's.
    WorldState& world = const_cast<WorldState&>(world_state());
    world.score_hundreds = 20;
    world.score_tens = 4;
    world.score_units = 8;
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
    EXPECT_EQ(read_text(table), "frostrun scores 1\n2048 12 2026-01-02T03:04:05Z\n"
                                "2048 1 2026-12-06T15:03:05Z\n70 2 2026-12-06T15:03:05Z\n");
    const harness::Surfaces s = {SDL_GetVideoSurface(), sheet, IMG_Load("background.png")};
    EXPECT_TRUE(harness::shows_sprite(s, {0, 300, 133, 21}, 253, 60));
    EXPECT_TRUE(shows_number(s, 2048, 290, 113) && shows_number(s, 1, 480, 113));
    const int rows[3][3] = {{1, 2048, 12}, {2, 2048, 1}, {3, 70, 2}};
    for (int i = 0; i < 3; ++i) {
        const int y = 215 + 18 * i;
        EXPECT_TRUE(shows_number(s, rows[i][0], 200, y) && shows_number(s, rows[i][1], 330, y) &&
                    shows_number(s, rows[i][2], 420, y)) << i;
        EXPECT_EQ(harness::shows_sprite(s, {410, 300, 12, 10}, 432, y), i == 1) << i;
    }
    SDL_FreeSurface(sheet);
    SDL_FreeSurface(s.backdrop);
}

// --scores prints the table or says it is empty; a damaged one is one line
// on standard error and status 1. Nothing is written or renamed.
TEST(GameEnd, ScoresOptionPrintsTheTableAndChangesNothing)
{
    const std::string table = table_holding("");
    const std::string folder = std::filesystem::path(table).parent_path();
    const auto tests = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string command = "XDG_DATA_HOME=" + folder + "/.. '" +
                                (tests.parent_path() / "frostrun").string() + "' --scores";
    const struct {
        std::string text;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"", 0, "No games in the best-scores table yet (" + folder + "/../frostrun/scores).\n", ""},
        {"frostrun scores 1\n" + kGames, 0,
         "Best games (" + folder + "/../frostrun/scores):\nrank        score  level  date\n"
         "   1         2048     12  2026-01-02 03:04:05 UTC\n"
         "   2           70      2  2026-12-06 15:03:05 UTC\n", ""},
        {"frostrun scores 1\n-1 1 2026-01-02T03:04:05Z\n", 1, "",
         "frostrun: the score table " + folder + "/../frostrun/scores cannot be read: "
         "not a score table\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(table);
        if (!c.text.empty()) {
            std::ofstream(table) << c.text;
        }
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = std::system(command.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        const auto files = std::filesystem::directory_iterator(folder);
        EXPECT_EQ(std::distance(files, {}), c.text.empty() ? 0 : 1);
        EXPECT_EQ(read_text(table), c.text);
    }
}

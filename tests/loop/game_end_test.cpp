// The end of a run: the game in the table, the game-over screen after the
// last life and how long it stays, and --scores in the game binary.
#include <sys/wait.h>
#include <unistd.h>

#include <SDL_image.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "loop/game_loop.h"
#include "screens/game_over.h"
#include "screens/lives.h"
#include "support/harness.h"
#include "world/world_state.h"
#include "world/world_tick.h"

namespace {

const std::string kGames = "2048 12 2026-01-02T03:04:05Z\n70 2 2026-12-06T15:03:05Z\n";

// A table file in a data folder of this test's own, holding `text`.
std::string table_holding(const std::string& text)
{
    const std::string folder = harness::own_data_folder("/frostrun");
    std::filesystem::create_directory(folder);
    std::ofstream(folder + "/scores") << text;
    return folder + "/scores";
}

// Presses `key`; SDLK_LAST stands for the close button.
void press(SDLKey key) { harness::push(key == SDLK_LAST ? SDL_QUIT : SDL_KEYDOWN, key); }

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
    press(SDLK_q);
    fake::Platform& fake = fake::platform();
    fake.on_delay = [](Uint32) { press(SDLK_SPACE); };
    unsigned long long shown = 0;
    fake.on_flip = [&shown](SDL_Surface* video) { shown = harness::picture_hash(video); };
    const int flips = fake.flips;
    const int delays = fake.delays;
    testing::internal::CaptureStdout();
    finish_run();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fake.flips, flips + 1);
    EXPECT_EQ(fake.delays, delays + 1);  // one poll, then space
    EXPECT_EQ(harness::read_text(table), "frostrun scores 1\n2048 12 2026-01-02T03:04:05Z\n"
                                "2048 1 2026-12-06T15:03:05Z\n70 2 2026-12-06T15:03:05Z\n");
    // GAME OVER; SCORE 2048, LEVEL 1; BEST GAMES: 1 2048 12, 2 2048 1 (marked), 3 70 2.
    EXPECT_EQ(shown, 0x0167826c9e8f0f6aull);
    SDL_FreeSurface(sheet);
}

// --scores prints the table or says it is empty; a damaged one is one line
// on standard error and status 1, and stays.
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
        EXPECT_EQ(harness::read_text(table), c.text);
    }
}

// Keys pressed before it shows are dropped, a close request among them
// ends it at once; then q, space, Return, p (a pad's Start) or the close
// button end it, other keys do not, and 20 seconds without one do.
TEST(GameEnd, TheScreenStaysUntilAnEndingKeyOrTwentySeconds)
{
    const harness::Surfaces s = harness::open_surfaces();
    const ScoreTable table;
    const FinalScore final_score = {0, 1, &table, kNotEntered};
    fake::Platform& fake = fake::platform();
    for (const SDLKey ending : {SDLK_q, SDLK_SPACE, SDLK_RETURN, SDLK_p, SDLK_LAST, SDLK_a}) {
        press(SDLK_q);
        fake.on_delay = [ending, polls = 0](Uint32) mutable {
            press(++polls == 50 ? ending : SDLK_a);
        };
        const Uint32 start = fake.clock_ms;
        game_over(s.screen, s.sprites, s.backdrop, final_score);
        EXPECT_EQ(fake.clock_ms - start, ending == SDLK_a ? 20000u : 1000u) << ending;
    }
    press(SDLK_LAST);
    const int flips = fake.flips;
    game_over(s.screen, s.sprites, s.backdrop, final_score);
    EXPECT_EQ(fake.flips, flips);
}

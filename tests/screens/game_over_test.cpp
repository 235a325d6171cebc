// The game-over screen: its picture and how long it stays.
#include <gtest/gtest.h>

#include "screens/game_over.h"
#include "screens/score_display.h"
#include "support/harness.h"

namespace {

// Whether the screen shows `number` in the score's glyphs, ending at `right`.
bool shows_number(const harness::Surfaces& s, long long number, int right, int y)
{
    for (int x = right - 10; x >= 0; x -= 10, number /= 10) {
        if (!harness::shows_sprite(s, score_glyph(static_cast<int>(number % 10)), x, y)) {
            return false;
        }
        if (number < 10) {
            return true;
        }
    }
    return false;
}

}  // namespace

// GAME OVER, the final score past 999 and the level, then the table's
// ranks, scores and levels, this game marked.
TEST(GameOver, ShowsTheFinalScoreAndTheBestGamesThisOneMarked)
{
    const harness::Surfaces s = harness::open_surfaces();
    ScoreTable table;
    enter_game(table, {2048, 12, 0});
    enter_game(table, {70, 2, 0});
    const FinalScore final_score = {1234, 5, &table, enter_game(table, {1234, 5, 0})};
    draw_game_over(s.screen, s.sprites, s.backdrop, final_score);
    EXPECT_TRUE(harness::shows_sprite(s, {0, 300, 133, 21}, 253, 60));
    EXPECT_TRUE(shows_number(s, 1234, 180 + 62 + 8 + 40, 113));
    EXPECT_TRUE(shows_number(s, 5, 400 + 62 + 8 + 10, 113));
    const long long rows[3][2] = {{2048, 12}, {1234, 5}, {70, 2}};
    for (int i = 0; i < 3; ++i) {
        const int y = 215 + 18 * i;
        EXPECT_TRUE(shows_number(s, i + 1, 200, y)) << i;
        EXPECT_TRUE(shows_number(s, rows[i][0], 330, y)) << i;
        EXPECT_TRUE(shows_number(s, rows[i][1], 400, y)) << i;
        EXPECT_EQ(harness::shows_sprite(s, {410, 300, 12, 10}, 412, y), i == 1) << i;
    }
}

// Keys pressed before it shows are dropped, a close request ends it at
// once; then q, space, Return, p or the close button end it, other keys
// do not, and 20 seconds without one end it too.
TEST(GameOver, StaysUntilAnEndingKeyOrTwentySeconds)
{
    const harness::Surfaces s = harness::open_surfaces();
    ScoreTable table;
    const FinalScore final_score = {0, 1, &table, kNotEntered};
    fake::Platform& fake = fake::platform();
    const SDLKey endings[] = {SDLK_q, SDLK_SPACE, SDLK_RETURN, SDLK_p, SDLK_LAST};
    for (const SDLKey ending : endings) {
        fake::press(SDLK_q);
        fake.on_delay = [ending, polls = 0](Uint32) mutable {
            fake::press(SDLK_a);
            if (++polls == 50) {
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                ending == SDLK_LAST ? (void)SDL_PushEvent(&quit) : fake::press(ending);
            }
        };
        const Uint32 start = fake.clock_ms;
        const int flips = fake.flips;
        game_over(s.screen, s.sprites, s.backdrop, final_score);
        EXPECT_EQ(fake.clock_ms - start, 50u * 20) << ending;
        EXPECT_EQ(fake.flips, flips + 1) << ending;
    }
    fake.on_delay = nullptr;
    Uint32 start = fake.clock_ms;
    game_over(s.screen, s.sprites, s.backdrop, final_score);
    EXPECT_EQ(fake.clock_ms - start, 20000u);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    fake::press(SDLK_a);
    SDL_PushEvent(&quit);
    start = fake.clock_ms;
    const int flips = fake.flips;
    game_over(s.screen, s.sprites, s.backdrop, final_score);
    EXPECT_EQ(fake.clock_ms, start);
    EXPECT_EQ(fake.flips, flips);
}

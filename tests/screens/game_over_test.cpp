// How long the game-over screen stays; its picture is the loop's test's.
#include <gtest/gtest.h>

#include "screens/game_over.h"
#include "support/harness.h"

namespace {

// Puts a key press in SDL's queue.
void press(SDLKey key)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

}  // namespace

// Keys pressed before it shows are dropped and a close request among them
// ends it at once; then q, space, Return, p or the close button end it,
// other keys do not, and so do 20 seconds without one.
TEST(GameOver, StaysUntilAnEndingKeyOrTwentySeconds)
{
    const harness::Surfaces s = harness::open_surfaces();
    const ScoreTable table;
    const FinalScore final_score = {0, 1, &table, kNotEntered};
    fake::Platform& fake = fake::platform();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    const struct {
        SDLKey ending;  // SDLK_LAST: the close button; SDLK_a: none
        bool closed_before;
        Uint32 shown_ms;
        int flips;
    } cases[] = {{SDLK_q, false, 1000, 1},      {SDLK_SPACE, false, 1000, 1},
                 {SDLK_RETURN, false, 1000, 1}, {SDLK_p, false, 1000, 1},
                 {SDLK_LAST, false, 1000, 1},   {SDLK_a, false, 20000, 1},
                 {SDLK_a, true, 0, 0}};
    for (const auto& c : cases) {
        press(SDLK_q);
        if (c.closed_before) {
            SDL_PushEvent(&quit);
        }
        fake.on_delay = [&c, &quit, polls = 0](Uint32) mutable {
            press(SDLK_a);
            if (++polls == 50) {
                c.ending == SDLK_LAST ? (void)SDL_PushEvent(&quit) : press(c.ending);
            }
        };
        const Uint32 start = fake.clock_ms;
        const int flips = fake.flips;
        game_over(s.screen, s.sprites, s.backdrop, final_score);
        EXPECT_EQ(fake.clock_ms - start, c.shown_ms) << c.ending;
        EXPECT_EQ(fake.flips - flips, c.flips) << c.ending;
    }
}

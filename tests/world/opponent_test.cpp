// The opponent's throw against the figure, through opponent_pass, at what
// the replays do not pin down: the exact reach, a jump, the left edge.
#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"
#include "world/opponent.h"
#include "world/world_state.h"

namespace {

constexpr int kScoreX[3] = {540, 550, 560};

// An opponent at `x` throwing `speed` pixels a tick, resting 7 ticks after
// a throw, and the figure on the ground at x 300.
struct Field {
    harness::Surfaces s = harness::open_surfaces();
    WorldState world;
    SDL_Rect figure = {300, 410, 40, 60};

    Field(int x, int speed)
    {
        world.opponent = reset_pool(kPoolOpponent);
        world.opponent->x = x;
        world.opponent->speed = speed;
        world.opponent->delay = 7;
        world.opponent->away = 0;
    }
    // Ticks as the world tick does, counting the turn-back cool-down down.
    void tick(int ticks = 1)
    {
        for (int t = 0; t < ticks; ++t) {
            opponent_pass(s.screen, s.sprites, s.backdrop, world, &figure);
            world.deflect_cooldown -= world.deflect_cooldown != 0;
        }
    }
    // The tick in which the throw first costs a life, or -1.
    int first_hit()
    {
        const int lives = lives_left();
        for (int t = 1; t <= 300; ++t) {
            tick();
            if (lives_left() != lives) {
                return t;
            }
        }
        return -1;
    }
};

}  // namespace

// Thrown at tick 80 from x 230, one pixel a tick: its x + 10 reaches the
// figure's x + 5 at 295, 65 ticks later.
TEST(Opponent, TheThrowHitsFromTheLeftAtX295)
{
    Field f(200, 1);
    f.figure.y = 405;  // the lowest a jump may be and still be hit
    EXPECT_EQ(f.first_hit(), 80 + 65);
}

TEST(Opponent, AJumpFiveRowsUpClearsTheThrow)
{
    Field f(200, 1);
    f.figure.y = 404;
    EXPECT_EQ(f.first_hit(), -1);
}

// With the power-up held the throw turns back at the figure and beats its
// thrower: 35 points, carried into the hundreds.
TEST(Opponent, ATurnedBackThrowBeatsItForThirtyFivePoints)
{
    Field f(400, 1);
    f.world.powerup_held = 1;
    f.world.score_tens = 9;
    f.world.score_units = 8;
    constexpr int kBeatenTick = 195;  // thrown at 80, turned at x 330, back at the opponent
    f.tick(kBeatenTick);
    const int shown[3] = {1, 3, 3};  // 98 + 35
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(harness::shows_digit(f.s, shown[i], kScoreX[i])) << i;
    }
    EXPECT_EQ(lives_left(), 3);
}

// A throw turned back at the left edge erases its trail from the very
// columns it covered, cut at the screen edge.
TEST(Opponent, AnEraseCutAtTheLeftEdgeStaysInPlace)
{
    Field f(26, 5);  // throws from x -4 at the figure at 0, which turns it back at once
    f.figure.x = 0;
    f.world.powerup_held = 1;
    for (Sint16 x = 0; x < 640; ++x) {  // every column differs: a copy from elsewhere shows
        SDL_Rect column = {x, 440, 1, 40};
        const Uint8 red = static_cast<Uint8>(8 * x);
        SDL_FillRect(f.s.backdrop, &column, SDL_MapRGB(f.s.backdrop->format, red, 0, 99));
    }
    SDL_UpperBlit(f.s.backdrop, nullptr, f.s.screen, nullptr);
    f.tick(80);
    for (Uint16 x = 5; x <= 20; x += 5) {  // the object is drawn at x
        f.tick();
        EXPECT_TRUE(harness::shows_backdrop(f.s, {0, 460, x, 14})) << x;
    }
}

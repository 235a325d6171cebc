// The opponent's throw against the figure, through opponent_pass, at what
// the replays do not pin down: the exact reach and a jump.
#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"
#include "world/opponent.h"
#include "world/world_state.h"

namespace {

// An opponent at `x` throwing `speed` pixels a tick, resting 7 ticks after
// a throw, and the figure on the ground at x 300.
struct Field {
    harness::Surfaces s = harness::open_surfaces();
    WorldState world;
    SDL_Rect figure = {300, 410, 40, 60};

    Field(int x, int speed)
    {
        restart_opponent();
        ObjectRecord& record = *opponent_state().record;
        record.x = x;
        record.speed = speed;
        record.delay = 7;
    }
    void tick(int ticks = 1)
    {
        for (int t = 0; t < ticks; ++t) {
            opponent_pass(s.screen, s.sprites, s.backdrop, world, &figure);
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

// Thrown left at tick 80 from x 470, one pixel a tick: its x comes down to
// the figure's x + 30 at 330, 140 ticks later.
TEST(Opponent, TheThrowHitsFromTheRightAtX330)
{
    Field f(500, 1);
    EXPECT_EQ(f.first_hit(), 80 + 140);
}

// The opponent's throw against the figure, through opponent_pass, at what
// the replays do not pin down: the exact reach and a jump.
#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"
#include "world/opponent.h"
#include "world/world_state.h"

// An opponent at x throws one pixel a tick at tick 80, after resting 7
// ticks, at the figure standing at x 300 (or jumping, y below 410). From
// x 200 the throw leaves at 230 and its x + 10 reaches the figure's x + 5
// at 295, 65 ticks later, unless the figure is 5 rows up or higher; from
// x 500 it leaves at 470 and its x reaches the figure's x + 30 at 330, 140
// ticks later.
TEST(Opponent, TheThrowHitsFromTheLeftAtX295AndFromTheRightAtX330)
{
    const harness::Surfaces s = harness::open_surfaces();
    WorldState world;
    const struct {
        int x;
        Sint16 figure_y;
        int first_hit;  // the tick in which the throw first costs a life, or -1
    } cases[] = {{200, 405, 80 + 65}, {200, 404, -1}, {500, 410, 80 + 140}};
    for (const auto& c : cases) {
        restart_opponent();
        ObjectRecord& record = *opponent_state().record;
        record.x = c.x;
        record.speed = 1;
        record.delay = 7;
        SDL_Rect figure = {300, c.figure_y, 40, 60};
        const int lives = lives_left();
        int hit = -1;
        for (int tick = 1; tick <= 300 && hit < 0; ++tick) {
            opponent_pass(s.screen, s.sprites, s.backdrop, world, &figure);
            hit = lives_left() != lives ? tick : -1;
        }
        EXPECT_EQ(hit, c.first_hit) << "from x " << c.x << ", figure at y " << c.figure_y;
    }
}

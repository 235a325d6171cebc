#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "screens/bursts.h"
#include "support/harness.h"

namespace {

// rand() restarted from its unseeded start (the game never seeds it): the
// values to come, and the draws made since the last look (which draws one).
struct Draws {
    long used = 0;
    std::vector<int> seq = harness::unseeded_rand(60000);
    int made()
    {
        long at = std::find(seq.begin() + used, seq.end(), std::rand()) - seq.begin();
        std::swap(at, used);
        return int(used++ - at);
    }
};

struct Bursts : ::testing::Test {
    harness::Surfaces s = harness::open_surfaces();
    SDL_Surface* before = SDL_DisplayFormat(s.backdrop);
    Draws draws;
    ~Bursts() override { SDL_FreeSurface(before); }
    int call(int x, int y, int mode = kBurstStart)  // answers the draws made
    {
        burst_effect(s.screen, s.sprites, s.backdrop, x, y, mode);
        return draws.made();
    }
    int step() { return call(0, 0, kBurstStep); }
    int marked(int x0, int y0, int w, int h)  // pixels that differ from `before`
    {
        int n = 0;
        for (int y = y0; y < std::min(y0 + h, 480); ++y)
            for (int x = x0; x < std::min(x0 + w, 640); ++x) n += harness::pixel(s.screen, x, y) != harness::pixel(before, x, y);
        return n;
    }
    bool particle(int x, int y) { return harness::shows_sprite(s, {0, 0, 1, 1}, x, y); }
};

TEST_F(Bursts, Row450GivesAPuffOf30StepsRow451AFountainOf120)
{
    const struct { int y, start_draws, steps, step_draws; } cases[] = {{450, 0, 30, 120}, {451, 61, 120, 122}};
    for (const auto& c : cases) {
        EXPECT_EQ(call(100, c.y), c.start_draws);
        for (int n = 1; n <= c.steps; ++n) ASSERT_EQ(step(), c.step_draws) << "y " << c.y << " step " << n;
        EXPECT_TRUE(step() == 0 && marked(0, 0, 640, 480) == 0) << "slot free, nothing left behind";
    }
}

TEST_F(Bursts, PuffSpreadsFromItsCentreAndTheFinalEraseClearsIt)
{
    call(200, 100);
    for (int n = 1, life = 30; n <= 30; ++n, --life) {  // offset, then row; the 1st right of centre, the 2nd left...
        std::set<std::pair<int, int>> expected;
        for (long p = 0, at = draws.used; p < 60; ++p, at += 2)
            expected.insert({215 + draws.seq[at] % (16 - life / 2) * (p % 2 ? -1 : 1), 100 + draws.seq[at + 1] % (31 - life)});
        step();
        ASSERT_EQ(marked(0, 0, 640, 480), n < 30 ? int(expected.size()) : 0) << "frame " << n << "; the last erases x + 30 too";
        for (const auto& [x, y] : expected) ASSERT_TRUE(n == 30 || particle(x, y)) << "frame " << n;
    }
}

TEST_F(Bursts, FountainRisesFromBelowTheScreenToItsOriginRowThenFallsAway)
{
    call(300, 460);
    int top = 480;
    for (int n = 1; n <= 120; ++n) {
        step();
        ASSERT_EQ(marked(0, 0, 640, n == 1 ? 480 : 458), 0) << "step " << n << ": out of sight, then never above row 458";
        for (int row = 458; row < top; ++row) top = marked(0, row, 640, 1) > 0 ? row : top;  // the highest yet
    }
    EXPECT_TRUE(top <= 460 && marked(0, 0, 640, 480) == 0) << "rose to row " << top << ", then fell out of sight";
}

TEST_F(Bursts, AStartWithAFullTableIsDropped)
{
    for (int i = 0; i < 12; ++i) call(10 + 55 * i, i < 11 ? 100 : 300);
    EXPECT_EQ(step(), 11 * 120);
    for (int i = 0; i < 11; ++i) EXPECT_TRUE(particle(25 + 55 * i, 100)) << "slot " << i;
    EXPECT_EQ(marked(615, 300, 25, 30), 0) << "the twelfth";
}

TEST_F(Bursts, IdleStepsAndOtherModesChangeNothing)
{
    EXPECT_TRUE(step() == 0 && marked(0, 0, 640, 480) == 0);
    call(100, 100);
    for (int mode : {0, 3, -1}) EXPECT_EQ(call(100, 100, mode), 0) << "mode " << mode << " neither starts nor steps";
    EXPECT_TRUE(marked(0, 0, 640, 480) == 0 && step() == 120) << "one puff, first drawn now";
}

}  // namespace

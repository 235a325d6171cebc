#include <string>

#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/world_tick.h"

namespace {

struct Ticks {
    harness::Surfaces s = harness::open_surfaces();
    SDL_Rect figure = {300, 410, 40, 65};
    char at(Uint32 clock_ms) { return fake::platform().clock_ms = clock_ms, world_tick(s.screen, s.sprites, s.backdrop, &figure); }
};

}  // namespace

TEST(WorldTick, FirstTickWaitsThenFramesUnderTwentyMsAreHeldBack)
{
    Ticks t;
    std::string out;
    {
        harness::StdoutCapture capture;
        // The first tick reads the clock twice in a row; then 19 ms since the last reading, 20 ms
        // since the reading before the last wait, a wrapped millisecond counter, 19 ms again.
        for (Uint32 clock_ms : {1000u, 1019u, 1039u, 5u, 24u}) out += t.at(clock_ms);
        out += capture.text();
    }
    EXPECT_EQ(out, "YYYYY\n0, delay is 10 ms\n\n19, delay is 10 ms\n\n20, delay is 0 ms\n\n4294966262, delay is 0 ms\n\n19, delay is 10 ms\n");
    EXPECT_EQ(fake::platform().delays, 5);  // a wait of 0 is a call too
    EXPECT_EQ(fake::platform().waited_ms, 30u);
}

// The world tick's pacing: frames closer than 20 ms are held back 10 ms.
#include <string>

#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/world_tick.h"

// The first tick reads the clock twice in a row (0 ms); then 19 ms since
// the last reading, 20 ms since the reading before the last wait, a
// wrapped millisecond counter (a frame of 2^32 - 1034 ms), 19 ms again.
TEST(WorldTick, FramesUnderTwentyMsWaitTenAndSaySo)
{
    const harness::Surfaces s = harness::open_surfaces();
    SDL_Rect figure = {300, 410, 40, 65};
    testing::internal::CaptureStdout();
    for (Uint32 clock_ms : {1000u, 1019u, 1039u, 5u, 24u}) {
        fake::platform().clock_ms = clock_ms;
        EXPECT_EQ(world_tick(s.screen, s.sprites, s.backdrop, &figure), 'Y') << clock_ms;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n0, delay is 10 ms\n"
              "\n19, delay is 10 ms\n"
              "\n20, delay is 0 ms\n"
              "\n4294966262, delay is 0 ms\n"
              "\n19, delay is 10 ms\n");
    EXPECT_EQ(fake::platform().delays, 5);  // a wait of 0 is a call too
    EXPECT_EQ(fake::platform().waited_ms, 30u);
}

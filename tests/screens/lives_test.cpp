// The crash sequence and the lives column, through lives_event.
#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"

// Each crash flashes the figure twelve times, 100 ms each, moves it to
// x 320 with its rectangle cut at the right edge, and takes a life from
// the column; the third crash answers that the game is over.
TEST(Lives, CrashesFlashTakeALifeAndEndTheGameAtTheThird)
{
    const harness::Surfaces s = harness::open_surfaces();
    constexpr SDL_Rect kLifeIcon = {300, 5, 33, 22};
    constexpr Sint16 kIconX = 600;
    constexpr Sint16 kIconY[3] = {30, 57, 84};
    constexpr int kFlashes = 12;
    SDL_Rect figure = {618, 410, 40, 60};
    auto event = [&](int mode) {
        return static_cast<char>(lives_event(s.screen, s.sprites, s.backdrop, mode, &figure));
    };
    EXPECT_EQ(event(kLivesDraw), kReplyGoOn);
    for (Sint16 y : kIconY) {
        EXPECT_TRUE(harness::shows_sprite(s, kLifeIcon, kIconX, y)) << y;
    }
    EXPECT_EQ(event(kLivesCrash), kReplyLifeLost);
    EXPECT_EQ(fake::platform().flips, kFlashes + 1);  // and the repainted backdrop
    EXPECT_EQ(fake::platform().waited_ms, kFlashes * 100u);
    EXPECT_EQ(figure.x, 320);
    EXPECT_EQ(figure.w, 22) << "cut at the right edge: 640 - 618";
    EXPECT_EQ(event(kLivesDraw), kReplyGoOn);
    EXPECT_TRUE(harness::shows_backdrop(s, {kIconX, kIconY[2], 33, 22})) << "two lives left";
    EXPECT_EQ(lives_left(), 2);
    EXPECT_EQ(event(kLivesCrash), kReplyLifeLost);
    EXPECT_EQ(event(kLivesCrash), kReplyGameOver);
    EXPECT_EQ(lives_left(), 0);
}

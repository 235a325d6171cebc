// The crash sequence and the lives column, through lives_event.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"

namespace {

constexpr SDL_Rect kStandingCell = {299, 5, 40, 65};
constexpr SDL_Rect kCrashA = {260, 5, 36, 62};  // the crash's two pictures
constexpr SDL_Rect kCrashB = {302, 5, 36, 62};
constexpr SDL_Rect kLifeIcon = {300, 5, 33, 22};
constexpr Sint16 kIconX = 600;
constexpr Sint16 kIconY[3] = {30, 57, 84};
constexpr Sint16 kGroundY = 410;
constexpr Sint16 kRestartX = 320;  // where a crash puts the figure

// A figure standing at `x`, and what each presented picture shows where it
// was hit: 'A' or 'B' a crash picture, 'b' the backdrop, '?' anything else.
struct Crash {
    harness::Surfaces s = harness::open_surfaces();
    SDL_Rect figure;
    std::string flips;

    explicit Crash(Sint16 x) : figure{x, kGroundY, 40, 60}
    {
        SDL_Rect cell = kStandingCell;
        SDL_UpperBlit(s.sprites, &cell, s.screen, &figure);
        fake::platform().on_flip = [this, x](SDL_Surface*) {
            const Uint16 shown = static_cast<Uint16>(std::min(36, 640 - x));
            SDL_Rect a = kCrashA;
            SDL_Rect b = kCrashB;
            a.w = shown;
            b.w = shown;
            char seen = '?';
            if (harness::shows_sprite(s, a, x, kGroundY)) {
                seen = 'A';
            } else if (harness::shows_sprite(s, b, x, kGroundY)) {
                seen = 'B';
            } else if (harness::shows_backdrop(s, {x, kGroundY, shown, 62})) {
                seen = 'b';
            }
            flips += seen;
        };
    }
    char event(int mode)
    {
        return static_cast<char>(lives_event(s.screen, s.sprites, s.backdrop, mode, &figure));
    }
};

}  // namespace

// Each crash flashes the two pictures three times (100 ms each), moves the
// figure, cut at the right edge, and takes a life; the third answers 'N'.
TEST(Lives, CrashesFlashTakeALifeAndEndTheGameAtTheThird)
{
    Crash c(618);
    EXPECT_EQ(c.event(kLivesDraw), kReplyGoOn);
    for (Sint16 y : kIconY) {
        EXPECT_TRUE(harness::shows_sprite(c.s, kLifeIcon, kIconX, y)) << y;
    }
    EXPECT_EQ(c.event(kLivesCrash), kReplyLifeLost);
    EXPECT_EQ(c.flips, "bAbBbAbBbAbBb");
    constexpr Uint32 kFlashesMs = 12 * 100;
    EXPECT_EQ(fake::platform().waited_ms, kFlashesMs);
    EXPECT_EQ(c.figure.x, kRestartX);
    EXPECT_EQ(c.figure.w, 22) << "cut at the right edge: 640 - 618";
    EXPECT_EQ(c.event(kLivesDraw), kReplyGoOn);
    EXPECT_TRUE(harness::shows_backdrop(c.s, {kIconX, kIconY[2], 33, 22})) << "two lives left";
    EXPECT_EQ(lives_left(), 2);
    EXPECT_EQ(c.event(kLivesCrash), kReplyLifeLost);
    EXPECT_EQ(c.event(kLivesCrash), kReplyGameOver);
    EXPECT_EQ(lives_left(), 0);
}

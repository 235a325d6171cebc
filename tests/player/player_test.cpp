// The figure at what the replays do not reach: the screen's edges and a
// jump as the very first move.
#include <gtest/gtest.h>

#include "player/player.h"
#include "support/harness.h"

namespace {

constexpr SDL_Rect kFirstLeftCell = {260, 5, 40, 65};  // the first walking cell facing left
constexpr int kStartX = 300;
constexpr int kGroundY = 410;

// Moves the figure `calls` times by `code`; answers its rectangle.
SDL_Rect move(const harness::Surfaces& s, char code, int calls)
{
    SDL_Rect* figure = nullptr;
    for (int call = 0; call < calls; ++call) {
        figure = update_player(s.screen, s.sprites, s.backdrop, code);
    }
    return *figure;
}

}  // namespace

// Walking on into an edge, the figure stops there; its rectangle is cut to
// the columns that show (40 wide, 2 pixels a step).
TEST(Player, StopsAtTheScreenEdgesCutToWhatShows)
{
    const harness::Surfaces s = harness::open_surfaces();
    const SDL_Rect right = move(s, 'R', 200);
    EXPECT_EQ(right.x, 618);  // 640 - 22
    EXPECT_EQ(right.w, 22);
    const SDL_Rect left = move(s, 'L', 400);
    EXPECT_EQ(left.x, 0);  // drawn from x -2
    EXPECT_EQ(left.w, 38);
    EXPECT_EQ(left.y, kGroundY);
}

// Before any steering the figure faces left, and a jump keeps that.
TEST(Player, AJumpAsTheFirstMoveFacesLeft)
{
    const harness::Surfaces s = harness::open_surfaces();
    move(s, 'U', 1);
    EXPECT_TRUE(harness::shows_sprite(s, kFirstLeftCell, kStartX, kGroundY));
}

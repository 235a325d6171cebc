// Falling objects at the exact edges of their boxes, through
// falling_object_pass: the catch and the meeting of two objects.
#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/falling_objects.h"
#include "world/world_state.h"

namespace {

constexpr int kUnitsX = 560;  // the score's units digit
const SDL_Rect kFigure = {300, 410, 40, 60};  // standing on the ground
constexpr int kRestartRowsEnd = 15;  // put back at the top: row 0, or 15 under the score digits

// A collectable at (x, y) that falls `dy` rows a tick.
ObjectRecord faller(int x, int y, int dy = 1) { return {x, y, 0, 0, 0, dy, 0, 0, kCollectable}; }

// Level 1's ten objects standing still in a row at y 100, clear of each
// other and of the figure; the cases move one or two of them.
struct Field {
    harness::Surfaces s = harness::open_surfaces();
    ObjectRecord* pool = reset_pool(kPoolFalling);
    WorldState world;

    Field()
    {
        for (int i = 0; i < kFallingObjects; ++i) {
            pool[i] = faller(40 + 50 * i, 100, 0);
        }
        world.level = 1;
        world.object_count = 10;
        world.objects = pool;
    }
    void pass() { falling_object_pass(s.screen, s.sprites, s.backdrop, world, kFigure); }
    // Whether record i has left the field after meeting another.
    bool removed(int i) const { return pool[i].away == 1 && pool[i].x == -1 && pool[i].y == -1; }
};

}  // namespace

// The figure at x 300 catches an object whose corner, before its fall,
// lies from 25 left to 35 right of the figure's x, no higher than 39 above
// its top; each catch adds a point.
TEST(Falling, TheFigureCatchesWithinItsBox)
{
    const int kLeft = kFigure.x - 25;
    const int kRight = kFigure.x + 35;
    const int kTop = kFigure.y - 39;
    Field f;
    const struct {
        int x;
        int y;
        bool caught;
    } cases[] = {{kLeft, kTop, true},      {kRight, kTop, true},      {kFigure.x, 450, true},
                 {kLeft - 1, kTop, false}, {kRight + 1, kTop, false}, {kFigure.x, kTop - 1, false}};
    int score = 0;
    for (const auto& c : cases) {
        f.pool[0] = faller(c.x, c.y);
        f.pass();
        score += c.caught;
        EXPECT_TRUE(harness::shows_digit(f.s, score, kUnitsX)) << c.x << ", " << c.y;
        EXPECT_EQ(f.pool[0].y <= kRestartRowsEnd, c.caught)
            << c.x << ", " << c.y << ": back at the top? y " << f.pool[0].y;
    }
}

// Of two objects that meet, the one whose corner lies in the other's
// 30 x 26 box is removed (record 1 moves before record 2, at 200, 200).
TEST(Falling, OnlyTheObjectWhoseCornerLiesInTheOthersBoxIsRemoved)
{
    constexpr int kWide = 30;  // an object's box
    constexpr int kHigh = 26;
    Field f;
    const struct {
        int dx;
        int dy;
        bool first;
        bool second;
    } cases[] = {{0, 0, true, false},          {kWide, kHigh, true, false},
                 {kWide + 1, 0, false, false}, {0, kHigh + 1, false, false},
                 {-1, 0, false, false},        {0, -1, false, true}};
    for (const auto& c : cases) {
        f.pool[2] = faller(200, 200);
        f.pool[1] = faller(200 + c.dx, 200 + c.dy);
        f.pass();
        EXPECT_EQ(f.removed(1), c.first) << c.dx << ", " << c.dy;
        EXPECT_EQ(f.removed(2), c.second) << c.dx << ", " << c.dy;
    }
}

// Falling objects at the exact edges of their boxes, through
// falling_object_pass: the catch and the meeting of two objects.
#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/falling_objects.h"
#include "world/world_state.h"

namespace {

constexpr int kUnitsX = 560;
const SDL_Rect kFigure = {300, 410, 40, 60};

ObjectRecord faller(int x, int y, int speed = 1) { return {x, y, 0, 0, 0, speed, 0, 0, kCollectable}; }

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
    bool removed(int i) const { return pool[i].away == 1 && pool[i].x == -1 && pool[i].y == -1; }
};

}  // namespace

// The figure at x 300 catches an object whose corner, after its fall,
// lies in x 275..335 from row 372 down; each catch adds a point.
TEST(Falling, TheFigureCatchesWithinItsBox)
{
    Field f;
    const struct {
        int x;
        int y;
        bool caught;
    } cases[] = {{275, 371, true},  {335, 371, true},  {300, 450, true},
                 {274, 371, false}, {336, 371, false}, {300, 370, false}};
    int score = 0;
    for (const auto& c : cases) {
        f.pool[0] = faller(c.x, c.y);
        f.pass();
        score += c.caught;
        EXPECT_TRUE(harness::shows_digit(f.s, score, kUnitsX)) << c.x << ", " << c.y;
        EXPECT_EQ(f.pool[0].y <= 15, c.caught) << c.x << ", " << c.y << ": back at the top";
    }
}

// Of two objects that meet, the one whose corner lies in the other's
// 30 x 26 box is removed (record 1 moves before record 2, at 200, 200).
TEST(Falling, OnlyTheObjectWhoseCornerLiesInTheOthersBoxIsRemoved)
{
    Field f;
    const struct {
        int dx;
        int dy;
        bool first;
        bool second;
    } cases[] = {{0, 0, true, false},   {30, 26, true, false},  {31, 0, false, false},
                 {0, 27, false, false}, {-1, 0, false, false}, {0, -1, false, true}};
    for (const auto& c : cases) {
        f.pool[2] = faller(200, 200);
        f.pool[1] = faller(200 + c.dx, 200 + c.dy);
        f.pass();
        EXPECT_EQ(f.removed(1), c.first) << c.dx << ", " << c.dy;
        EXPECT_EQ(f.removed(2), c.second) << c.dx << ", " << c.dy;
    }
}

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "player/player.h"
#include "support/harness.h"

namespace {

const SDL_Rect kCells[6] = {{299, 5, 40, 65}, {299, 70, 40, 65}, {299, 135, 40, 65}, {260, 5, 40, 65}, {260, 70, 40, 65}, {260, 135, 40, 65}};

struct Figure {
    harness::Surfaces s = harness::open_surfaces();
    SDL_Rect* step(int code, int times = 1) { while (--times > 0) step(code); return update_player(s.screen, s.sprites, s.backdrop, code); }
    bool only(int cell, int x, int y) const { return harness::shows_only(s, kCells[cell], x, y); }  // and no trail anywhere
};

std::vector<int> box(const SDL_Rect* r) { return {r->x, r->y, r->w, r->h}; }

void expect_walk(int code, const int (&cycle)[4], int dx)  // 76 calls from the start; a cell holds 15 calls
{
    Figure f;
    for (int call = 1; call <= 76; ++call) ASSERT_TRUE((f.step(code), f.only(cycle[(call - 1) / 15 % 4], 300 + dx * call, 410))) << call;
}

}  // namespace

TEST(Player, StandsJumpsAndRestoresWhereTheFigureIs)
{
    Figure f;
    SDL_Rect* r = f.step('S');
    EXPECT_TRUE(box(r) == (std::vector<int>{300, 410, 40, 65}) && f.only(0, 300, 410) && f.step('S') == r);
    SDL_Rect paint = {280, 400, 80, 80};
    for (auto [code, x] : {std::pair{'L', 300}, {'R', 298}}) {  // to 298, then back: restored from x + 2, then x - 2
        f.step(code), SDL_FillRect(f.s.screen, &paint, 0xF81F), f.step('S');
        const std::vector<Uint32> beside = {harness::pixel(f.s.screen, x - 1, 475), harness::pixel(f.s.screen, x + 42, 475)};
        EXPECT_TRUE(harness::shows_backdrop(f.s, {Sint16(x), 475, 42, 1}) && beside == std::vector<Uint32>(2, 0xF81F)) << code;
    }
    SDL_UpperBlit(f.s.backdrop, nullptr, f.s.screen, nullptr), f.step('U');  // paint gone; jump
    for (int i = 1; i <= 41; ++i) {
        if (f.step('S'), i == 10) f.step('U'), f.step('N'), f.step(0);  // neither restarts nor moves the jump
        EXPECT_EQ(r->y, i <= 20 ? 410 - i : i <= 40 ? 370 + i : 410) << "after S " << i;
    }
    EXPECT_TRUE(f.only(0, 300, 410));
    r->x = 320;  // as the crash does, which repaints the backdrop too
    SDL_UpperBlit(f.s.backdrop, nullptr, f.s.screen, nullptr);
    f.step('U'), f.step('S', 5);
    EXPECT_TRUE(f.only(0, 320, 405)) << "a jump in place after the crash";
}

TEST(Player, AJumpAsFirstCallKeepsTheLeftFacingStartValue)
{
    Figure f;
    EXPECT_TRUE(f.step('U') && f.only(3, 300, 410));
}

TEST(Player, WalkCycleRight) { expect_walk('R', {0, 1, 2, 1}, 2); }
TEST(Player, WalkCycleLeft) { expect_walk('L', {3, 4, 5, 4}, -2); }

TEST(Player, StopsAtTheRightEdgeCutTo22AndAtTheLeftEdgeCutTo38)
{
    Figure f;
    EXPECT_TRUE(box(f.step('R', 200)) == (std::vector<int>{618, 410, 22, 65}) && f.only(1, 618, 410));
    int lowest = 618;
    for (int i = 0; i < 400; ++i) lowest = std::min<int>(lowest, f.step('L')->x);
    EXPECT_TRUE(lowest == 0 && box(f.step('L')) == (std::vector<int>{0, 410, 38, 65}));
    EXPECT_TRUE(f.only(3, -2, 410) || f.only(4, -2, 410) || f.only(5, -2, 410));  // cut on the left
}

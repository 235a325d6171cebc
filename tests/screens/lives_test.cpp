#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"
#include "base/object_pools.h"

namespace {

const SDL_Rect kLifeIcon = {300, 5, 33, 22};

// A figure drawn at (x, 410) as update_player leaves it, and what each flip shows where it
// was hit: 'A' or 'B' a crash image, 'b' the backdrop, '?' anything else.
struct Crash {
    harness::Surfaces s = harness::open_surfaces();
    SDL_Rect figure;
    std::string flips;
    bool column_erased_first = false;  // the lives column at the first flip

    explicit Crash(Sint16 x = 300) : figure{x, 410, 40, 60}
    {
        SDL_Rect cell = {299, 5, 40, 65};
        SDL_UpperBlit(s.sprites, &cell, s.screen, &figure);
        fake::platform().on_flip = [this, x](SDL_Surface*) {
            const auto w = [x](int full) { return Uint16(std::min(full, 640 - x)); };
            column_erased_first |= flips.empty() && harness::shows_backdrop(s, {600, 30, 33, 132});
            flips += harness::shows_sprite(s, {260, 5, w(36), 62}, x, 410) ? 'A' : harness::shows_sprite(s, {302, 5, w(36), 62}, x, 410) ? 'B'
                   : harness::shows_backdrop(s, {x, 410, w(40), 65}) ? 'b' : '?';
        };
    }
    char event(int mode) { return char(lives_event(s.screen, s.sprites, s.backdrop, mode, &figure)); }
    std::vector<int> box() const { return {figure.x, figure.y, figure.w, figure.h}; }
};

}  // namespace

TEST(Lives, ColumnCrashesAndRepliesUntilNoLifeIsLeft)
{
    Crash c;
    ObjectRecord* pools[3] = {reset_pool(1), reset_pool(2), reset_pool(3)};
    for (ObjectRecord* pool : pools) pool->spare = 9;
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(std::string({c.event(3), c.event(0)}), "YY");
        for (int y : {30, 57, 84}) EXPECT_TRUE(harness::shows_sprite(c.s, kLifeIcon, 600, y)) << y;
        EXPECT_TRUE(harness::shows_backdrop(c.s, {600, 111, 33, 22}) && c.flips.empty());
    }
    EXPECT_EQ(c.event(1), 'H');
    EXPECT_TRUE(c.flips == "bAbBbAbBbAbBb" && c.column_erased_first && fake::platform().waited_ms == 1200) << c.flips;
    EXPECT_TRUE(c.box() == (std::vector<int>{320, 410, 36, 62}) && harness::shows_backdrop(c.s, {0, 0, 640, 480}));
    EXPECT_TRUE(pools[0]->spare == 0 && pools[1]->spare == 0 && pools[2]->spare == 9);  // not the items
    EXPECT_TRUE(c.event(3) == 'Y' && harness::shows_sprite(c.s, kLifeIcon, 600, 57) && harness::shows_backdrop(c.s, {600, 84, 33, 22}));
    EXPECT_EQ(std::string({c.event(1), c.event(1), c.event(3)}), "HNN");
    EXPECT_TRUE(harness::shows_backdrop(c.s, {600, 30, 33, 132}));
    SDL_Rect column = {600, 30, 33, 132};  // a hit with no life left still flashes, but leaves column and count
    SDL_FillRect(c.s.screen, &column, 0xF81F), c.flips.clear(), c.column_erased_first = false;
    EXPECT_EQ(std::string({c.event(1), c.event(3), c.event(0)}), "NNN");
    EXPECT_TRUE(c.flips.size() == 13 && !c.column_erased_first);
}

TEST(Lives, CrashAtTheRightEdgeIsCutAtTheScreenEdge)
{
    Crash c(618);
    EXPECT_EQ(c.event(1), 'H');
    EXPECT_TRUE(c.flips == "bAbBbAbBbAbBb" && c.box() == (std::vector<int>{320, 410, 22, 62})) << c.flips;
}

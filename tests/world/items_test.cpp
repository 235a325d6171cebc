// An item against the figure at the edges of its box, through item_pass.
#include <gtest/gtest.h>

#include "screens/lives.h"
#include "support/harness.h"
#include "world/items.h"
#include "world/world_state.h"

// An item hits when, after its fall, its x lies in the figure's x .. x + 30
// and its y at or below the figure's; it then goes back to the top.
TEST(Items, HitTheFigureWithinItsBox)
{
    const harness::Surfaces s = harness::open_surfaces();
    WorldState world;
    world.items = reset_pool(kPoolItems);
    world.item_count = 1;
    ObjectRecord& item = world.items[0];
    constexpr int kSpeed = 4;
    const struct {
        int x;
        int y;
        bool hit;
    } cases[] = {{300, 406, true},   {330, 406, true},   {299, 406, false},
                 {331, 406, false},  {300, 405, false},  {315, 470, true}};
    for (const auto& c : cases) {
        SDL_Rect figure = {300, 410, 40, 60};
        item.x = c.x;
        item.y = c.y;
        item.speed = kSpeed;
        const int lives = lives_left();
        item_pass(s.screen, s.sprites, s.backdrop, world, &figure);
        EXPECT_EQ(lives - lives_left(), c.hit ? 1 : 0) << c.x << ", " << c.y;
        EXPECT_EQ(item.y, c.hit ? 0 : c.y + kSpeed) << c.x << ", " << c.y;
    }
}

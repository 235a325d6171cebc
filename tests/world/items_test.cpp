#include <cstdlib>

#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/items.h"

namespace {

struct Items {  // one item in play; answers where a crash left the figure
    harness::Surfaces s = harness::open_surfaces();
    WorldState w;
    ObjectRecord& item = *(w.items = reset_pool(kPoolItems));
    Sint16 pass(SDL_Rect player, int x, int y, int speed) {
        w.item_count = 1, w.crash_reply = 'Y', item.x = x, item.y = y, item.speed = speed;
        item_pass(s.screen, s.sprites, s.backdrop, w, &player);
        return player.x;
    }
};

}  // namespace

TEST(Items, ContactAtTheNewYAndReplacementAtTheOldY) {
    Items f;
    struct Case { int x, y, speed, y_after; bool crash; };
    for (Case c : {Case{300, 406, 4, 0, true}, Case{330, 406, 4, 0, true}, Case{315, 470, 4, 0, true},
                   Case{299, 406, 4, 410, false}, Case{331, 406, 4, 410, false}, Case{300, 405, 4, 409, false},
                   Case{100, 480, 1, 481, false}}) {
        const bool moved = f.pass({300, 410, 40, 60}, c.x, c.y, c.speed) == 320;
        EXPECT_TRUE(f.item.x == c.x && f.item.y == c.y_after && (f.w.crash_reply != 'Y') == c.crash && moved == c.crash)
            << c.x << "," << c.y;
    }
    for (bool low : {false, true}) {  // past the bottom: back at the top, x 30..599 or 601
        unsigned seed = 0;
        int draw = 0;
        do std::srand(++seed), draw = std::rand() % 600;
        while ((draw < 30) != low);
        std::srand(seed);
        f.pass({300, 410, 40, 60}, 100, 481, 1);
        EXPECT_TRUE(f.item.x == (low ? 601 : draw) && f.item.y == 0) << f.item.x;
    }
}

TEST(Items, EraseNearTheTopCopiesTheBackdropInPlace) {
    Items f;
    for (Sint16 y = 0; y < 32; ++y) {  // every row differs: a shifted copy shows
        SDL_Rect row{0, y, 640, 1};
        SDL_FillRect(f.s.backdrop, &row, SDL_MapRGB(f.s.backdrop->format, Uint8(8 * y), 0, 0));
    }
    SDL_UpperBlit(f.s.backdrop, nullptr, f.s.screen, nullptr);
    SDL_Rect around{90, 0, 40, 20};
    SDL_FillRect(f.s.screen, &around, 0x07e0);
    // Touched at once, so the erase is made again; the crash's first flip shows it.
    bool in_place = false;
    fake::platform().on_flip = [&](SDL_Surface* screen) {
        in_place |= fake::platform().flips == 1 && harness::shows_backdrop(f.s, {100, 0, 20, 12}) &&
                    harness::pixel(screen, 99, 5) == 0x07e0 && harness::pixel(screen, 120, 5) == 0x07e0;
    };
    EXPECT_EQ(f.pass({100, 0, 1, 1}, 100, 2, 4), 320);  // its last picture stood at y -2
    EXPECT_TRUE(in_place);
}

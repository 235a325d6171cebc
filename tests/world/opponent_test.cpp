#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/opponent.h"
#include "world/progression.h"

namespace {

using Ints = std::vector<int>;

// An opponent at a known x and speed (rest 7 after a throw), our own player.
struct Field {
    harness::Surfaces s = harness::open_surfaces();
    WorldState w;
    SDL_Rect player{300, 410, 40, 60};
    ObjectRecord& opp = *(w.opponent = reset_pool(kPoolOpponent));
    Field(int x, int speed) { aim(x, speed); }
    void aim(int x, int speed) { opp.x = x, opp.speed = speed, opp.delay = 7, opp.away = 0; }
    void tick(int n = 1) {  // with the world tick's countdown of the cooldown
        for (; n > 0; --n, w.deflect_cooldown -= w.deflect_cooldown != 0) opponent_pass(s.screen, s.sprites, s.backdrop, w, &player);
    }
    int first_contact() {  // the tick of the first turn-back (power-up held), or -1
        w.powerup_held = 1;
        for (int t = 1; t <= 300; ++t) if (tick(), w.deflect_cooldown != 0) return t;
        return -1;
    }
};

}  // namespace

// Facing, the throw in the 80th tick of winding up, where the object starts,
// and its first erase: one tick later, the edge of the paint that it wipes.
TEST(Opponent, FacesThePlayerAndThrowsTowardsIt) {
    struct Case { Sint16 px, row; int from; Sint16 paint_x; int wiped, kept; };
    Field f(100, 5);
    for (Case c : {Case{300, 139, 130, 128, 130, 129}, Case{100, 175, 70, 50, 86, 87}}) {
        SDL_UpperBlit(f.s.backdrop, nullptr, f.s.screen, nullptr);
        f.player.x = c.px, f.w.opponent_rest = 1, f.w.throwing = 0;
        f.tick();
        EXPECT_TRUE(harness::shows_sprite(f.s, {0, c.row, 28, 37}, 100, 440)) << c.px;
        f.tick(79);
        EXPECT_EQ(f.w.throwing, 0);
        f.tick();
        EXPECT_TRUE(f.w.throwing && harness::shows_sprite(f.s, {4, 92, 16, 14}, c.from, 460)) << c.px;
        SDL_Rect paint{c.paint_x, 460, 40, 14};
        SDL_FillRect(f.s.screen, &paint, 0xf81f);
        f.tick();
        EXPECT_TRUE(harness::shows_backdrop(f.s, {Sint16(c.wiped), 460, 1, 14}) &&
                    harness::pixel(f.s.screen, c.kept, 466) == 0xf81f) << c.px;
    }
}

TEST(Opponent, TouchesFromTheLeftAt295) { Field f(200, 1); f.player.y = 405; EXPECT_EQ(f.first_contact(), 80 + 65); }
TEST(Opponent, AJumpClearsIt) { Field f(200, 1); f.player.y = 404; EXPECT_EQ(f.first_contact(), -1); }

TEST(Opponent, TurnBackCooldownThenLeavingSpendsThePowerUp) {
    Field f(400, 1);                    // thrown leftwards from 370
    ASSERT_EQ(f.first_contact(), 120);  // at x 330, not at 331; back to the opponent now
    f.player.x = 325;                   // within reach it passes through for 19 ticks
    int turns = 0;
    for (int t = 0; t < 19; ++t) f.tick(), turns += f.opp.tick;
    f.tick();
    EXPECT_TRUE(turns == 0 && f.opp.tick == 1);  // and is turned again in the 20th
    f.player.y = 300;
    SDL_Rect icon = kPowerupIconRect, source{229, 0, 23, 22};
    SDL_UpperBlit(f.s.sprites, &source, f.s.screen, &icon);
    for (int t = 0; t < 400 && f.w.throwing != 0; ++t) f.tick();
    EXPECT_EQ((Ints{f.w.throwing, f.w.powerup_held, f.w.powerup_shown, f.w.opponent_rest}), (Ints{0, 0, 1, 6}));
    EXPECT_TRUE(harness::shows_backdrop(f.s, kPowerupIconRect) && harness::shows_backdrop(f.s, {0, 460, 400, 14}));
}

// A turned-back object beats its thrower: from its left (thrown from 370,
// turned at 330) and from its right (thrown from 130, turned at 295).
TEST(Opponent, BeatenForThirtyFivePointsAndAwayForADrawnTime) {
    struct Case { int x, speed, turned, beaten; bool zero_draw; };
    Field f(400, 1);
    for (Case c : {Case{400, 1, 120, 195, false}, Case{100, 5, 113, 148, true}}) {
        f.aim(c.x, c.speed), f.w.score_hundreds = 0, f.w.score_tens = 9, f.w.score_units = 8;
        ASSERT_EQ(f.first_contact(), c.turned);
        f.tick(c.beaten - c.turned - 1);
        EXPECT_EQ(f.w.score_units, 8);
        unsigned seed = 0;
        int draw = 0;
        do std::srand(++seed), std::rand(), std::rand(), std::rand(), draw = std::rand() % 1000;
        while ((draw == 0) != c.zero_draw);  // the draw after the fresh opponent's three
        std::srand(seed);
        f.tick();
        const WorldState& w = f.w;  // away counted from this tick
        EXPECT_EQ((Ints{f.opp.away, w.score_hundreds, w.score_tens, w.score_units, w.powerup_held, w.powerup_shown, w.throwing}),
                  (Ints{(c.zero_draw ? 1001 : draw) - 1, 1, 3, 3, 0, 1, 0}));
        EXPECT_TRUE(harness::shows_digit(f.s, 1, 540) && harness::shows_digit(f.s, 3, 560));
        EXPECT_TRUE(harness::shows_backdrop(f.s, {Sint16(c.x - 30), 440, 90, 37})) << c.x;  // opponent and object gone
    }
}

// A turn-back in flight, then the field is rebuilt: the next throw heads the
// way the opponent faces, towards the player on its left.
TEST(Opponent, NextThrowAfterARestartOrALevelUpFollowsTheFacing) {
    Field f(400, 1);
    fake::platform().on_delay = [](Uint32) { harness::press(SDLK_q); };  // answers the intro
    f.w.level = 2, f.w.crash_reply = 'H', f.w.level_up_pending = 1, f.w.objects = reset_pool(kPoolFalling);
    for (auto rebuild : {restart_field, level_up}) {
        ASSERT_TRUE(f.first_contact() > 0 && f.opp.tick == 0);
        rebuild(f.s.screen, f.s.sprites, f.s.backdrop, f.w);
        f.aim(400, 1), f.w.opponent_rest = 0;
        f.tick(80);
        EXPECT_TRUE(f.w.throwing && f.opp.tick == 1);
    }
}

TEST(Opponent, EraseClippedAtTheLeftEdgeStaysInPlace) {
    Field f(26, 5);  // throws from x -4 at a player at 0, who turns it back at once
    f.player.x = 0, f.w.powerup_held = 1;
    for (Sint16 x = 0; x < 640; ++x) {  // every column differs: a copy from the wrong place shows
        SDL_Rect column{x, 440, 1, 40};
        SDL_FillRect(f.s.backdrop, &column, SDL_MapRGB(f.s.backdrop->format, Uint8(8 * x), 0, 99));
    }
    SDL_UpperBlit(f.s.backdrop, nullptr, f.s.screen, nullptr);
    f.tick(80);
    ASSERT_EQ(f.opp.tick, 0);
    for (Uint16 x = 5; x <= 20; x += 5) {  // the object is drawn at x
        f.tick();
        EXPECT_TRUE(harness::shows_backdrop(f.s, {0, 460, x, 14})) << x;
    }
}

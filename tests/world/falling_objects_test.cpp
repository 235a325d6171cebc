#include <algorithm>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "screens/bursts.h"
#include "screens/score_display.h"
#include "support/harness.h"
#include "world/falling_objects.h"
#include "world/world_tick.h"

namespace {

constexpr SDL_Rect kPowerup = {229, 0, 23, 22};

ObjectRecord faller(int x, int y, int speed = 1, int type = kCollectable) { return {x, y, 0, 0, 0, speed, 0, 0, type}; }

ObjectRecord* park(ObjectRecord* pool)  // standing in a row at y 100, clear of each other and the player
{
    for (int i = 0; i < 11; ++i) pool[i] = faller(40 + 50 * i, 100, 0);
    return pool;
}

struct Falling : ::testing::Test {
    harness::Surfaces s = harness::open_surfaces();
    ObjectRecord* pool = park(reset_pool(kPoolFalling));
    WorldState w = [this] { WorldState f; f.level = 1; f.object_count = 10; f.objects = pool; return f; }();
    std::vector<int> rands = harness::unseeded_rand(5000);
    int draws(int at) const { return rands[at] % 600; }  // the rand() % 600 to come
    void pass() { falling_object_pass(s.screen, s.sprites, s.backdrop, w, SDL_Rect{300, 410, 40, 60}); }
    void bursts(int steps) { while (steps-- > 0) burst_effect(s.screen, s.sprites, s.backdrop, 0, 0, kBurstStep); }
    bool removed(int i) { return pool[i].away == 1 && pool[i].x == -1 && pool[i].y == -1; }
};

TEST_F(Falling, ThePlayerReachesCornersAtX275To335FromRow371DownAndCatchesCarry)
{
    const struct { int x, y, score, caught; } cases[] = {
        {275, 371, 9, 1}, {335, 371, 99, 1}, {300, 450, 999, 1}, {274, 371, 0, 0}, {336, 371, 0, 0}, {300, 370, 0, 0}};
    for (const auto& c : cases) {
        w.score_hundreds = c.score / 100, w.score_tens = c.score / 10 % 10, w.score_units = c.score % 10;
        pool[0] = faller(c.x, c.y);
        pass();
        const int now = c.score + c.caught;  // 1000 leaves hundreds at 10: there is no thousands digit
        EXPECT_EQ(std::vector<int>({w.score_hundreds, w.score_tens, w.score_units}),
                  std::vector<int>({now / 100, now / 10 % 10, now % 10}));
        const bool shown = harness::shows_digit(s, now / 100 % 10, 540) && harness::shows_digit(s, now / 10 % 10, 550);
        EXPECT_TRUE(pool[0].y <= 15 ? c.caught && shown : !c.caught) << c.x << ", " << c.y;
    }
}

TEST_F(Falling, NewPlacesAtTheTopLieInTheirRanges)
{
    // {range of the value drawn, then x = value + add (or `fixed`), y}; a bottom exit draws after its fountain's 61.
    const ObjectRecord caught = faller(300, 400), leaving = faller(100, 451), away = {-1, -1, 0, 0, 0, 1, 1, 0, 0};
    const struct { int low, high, add, fixed, y, ahead; ObjectRecord record; } cases[] = {
        {0, 49, 50, 0, 0, 0, caught}, {50, 540, 0, 0, 0, 0, caught}, {541, 541, 0, 0, 15, 0, caught},
        {559, 559, 0, 0, 15, 0, caught}, {560, 599, 0, 0, 0, 0, caught}, {0, 49, 0, 60, 0, 61, leaving},
        {0, 49, 200, 0, 0, 0, away}};
    for (int at = 0, n = 0; n < 7; at += cases[n++].ahead + 1) {
        const auto& c = cases[n];
        for (; draws(at + c.ahead) < c.low || draws(at + c.ahead) > c.high; ++at) std::rand();
        pool[0] = c.record;
        pass();
        EXPECT_TRUE(pool[0].x == (c.fixed ? c.fixed : draws(at + c.ahead) + c.add) && pool[0].y == c.y) << "case " << n;
    }
}

TEST_F(Falling, BelowRow450AnObjectBurstsAndComesBackInTheSameTick)
{
    pool[0] = faller(100, 450, 2);
    pool[1] = faller(200, 451, 2, kPowerUp);
    w.powerup_shown = 1;
    pass();
    EXPECT_TRUE(pool[0].x == 100 && pool[0].y == 452) << "not yet";
    EXPECT_TRUE(pool[1].x == (draws(61) < 50 ? 60 : draws(61)) && pool[1].y == 0) << "placed after a fountain's 61 draws";
    EXPECT_TRUE(w.powerup_shown == 0 && w.powerup_wait == 100 && harness::shows_backdrop(s, {200, 449, 30, 30}));
}

TEST_F(Falling, AHiddenPowerUpStaysUnseenFor100TicksThenCanBeCaught)
{
    pool[0] = faller(100, 200, 2, kPowerUp);
    w.powerup_wait = 100;
    for (int t = 1; t <= 101; ++t) {
        pass();
        ASSERT_EQ(pool[0].y, t < 100 ? 200 : t == 100 ? 202 : 204) << "tick " << t;
        ASSERT_TRUE(t <= 100 ? harness::shows_backdrop(s, {100, 200, 23, 22}) : harness::shows_sprite(s, kPowerup, 100, 202));
    }
    pool[0] = faller(300, 400, 2, kPowerUp);
    pass();
    EXPECT_TRUE(pool[0].away == 1 && pool[0].type == kCollectable && w.powerup_held == 1 && w.powerup_shown == 0);
    EXPECT_TRUE(harness::shows_backdrop(s, {300, 400, 23, 22}) && harness::shows_sprite(s, kPowerup, 600, 170)) << "held icon";
}

TEST_F(Falling, OnlyTheObjectWhoseCornerLiesInTheOthersBoxIsRemoved)
{
    // Record 1's corner against record 2 at (200, 200), which falls after it.
    const struct { int dx, dy; bool first, second; } cases[] = {
        {0, 0, true, false}, {30, 26, true, false}, {31, 0, false, false},
        {0, 27, false, false}, {-1, 0, false, false}, {0, -1, false, true}};
    for (const auto& c : cases) {
        pool[2] = faller(200, 200);
        pool[1] = faller(200 + c.dx, 200 + c.dy);
        pass();
        EXPECT_TRUE(removed(1) == c.first && removed(2) == c.second) << c.dx << ", " << c.dy;
        EXPECT_EQ(pool[1].y, c.first ? -1 : 201 + c.dy) << "kept falling";
    }
}

TEST_F(Falling, ABurstStartsOnlyWhereAnObjectReallyEnds)
{
    pool[0] = faller(200, 200);  // its corner lies in the boxes of 1 and 2
    pool[1] = faller(190, 190);
    pool[2] = faller(185, 195);
    pool[3] = faller(300, 451);  // caught, then below row 450
    pool[4] = faller(320, 380);  // caught, then its corner in 5's box
    pool[5] = faller(310, 370);
    pass();
    EXPECT_TRUE(w.score_units == 2 && removed(0) && removed(4) && pool[3].x == (draws(1) < 50 ? 60 : draws(1)) && pool[3].y == 0);
    bursts(1);
    EXPECT_TRUE(harness::shows_sprite(s, {0, 0, 1, 1}, 215, 201)) << "where record 0 was after its fall";
    bursts(14);
    EXPECT_TRUE(harness::shows_backdrop(s, {0, 0, 530, 60}) && harness::shows_backdrop(s, {570, 0, 70, 60}))
        << "no puff at (-1, -1) nor at the new places";
}

TEST_F(Falling, ALevelOnceCompleteStaysCompleteWithinTheTick)
{
    for (int k = 0; k < 9; ++k) update_score_display(s.screen, s.sprites, s.backdrop, 0, 0, 1, kScoreCollect);
    pool[0] = faller(280, 380);
    pool[1] = faller(320, 380);  // the second catch finds the column just emptied
    pass();
    EXPECT_TRUE(w.score_units == 2 && w.level_up_pending != 0);
}

TEST_F(Falling, AnEraseAtTheTopRestoresTheVeryRowsItCovers)
{
    pool[1] = faller(300, 1, 3);  // its erase area starts 2 rows above the screen
    pool[2] = faller(270, 0);     // its box holds record 1's corner
    pass();
    EXPECT_TRUE(removed(1) && harness::shows_backdrop(s, {300, 0, 30, 28}));
}

// The real loop: each catch shows its digit and icon, bursts show, and the
// tenth catch brings the intro, which up and an unmapped key do not end but
// q does; a key outside the table after it does not end the game.
TEST(LevelOneRun, CatchesShowOnScreenBurstsAppearAndTheTenthEndsTheLevel)
{
    harness::use_dummy_drivers();
    harness::enter_asset_dir();
    harness::StdoutCapture out;
    ASSERT_EQ(harness::run_frames(2), 'Y');         // start-up and the first tick
    ObjectRecord* pool = reset_pool(kPoolFalling);  // the world's own records
    const harness::Surfaces s = harness::game_images(SDL_GetVideoSurface());
    int pulses = 0;
    fake::platform().on_delay = [&](Uint32 ms) {
        if (ms == 100 && pulses++ == 0) harness::press(SDLK_UP), harness::press(SDLK_a);
        else if (ms == 100) harness::press(SDLK_q);
    };
    for (int n = 1; n <= 10; ++n) {
        park(pool)[0] = faller(300, 400);  // under the standing figure
        if (n == 1) pool[1] = faller(100, 451), pool[3] = faller(400, 200, 0), pool[4] = faller(410, 210);
        ASSERT_EQ(harness::run_frames(1), 'Y');
        EXPECT_TRUE(n == 10 || (harness::shows_digit(s, n, 560) && harness::shows_sprite(s, {20, 0, 20, 20}, 8, 260 - 25 * (n - 1)))) << n;
        EXPECT_TRUE(n != 2 || harness::shows_sprite(s, {0, 0, 1, 1}, 425, 211)) << "the puff's first frame";
        EXPECT_TRUE(n != 9 || !harness::shows_backdrop(s, {60, 440, 120, 40})) << "the fountain";
    }
    EXPECT_TRUE(pulses == 2 && harness::shows_backdrop(s, {8, 28, 20, 260}) && world_state().level == 2) << "the intro has repainted";
    harness::press(SDLK_a);
    EXPECT_EQ(harness::run_frames(1), 'Y') << "q was not remembered";
}

}  // namespace

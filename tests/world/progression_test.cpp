#include <vector>

#include <gtest/gtest.h>

#include "screens/score_display.h"
#include "support/harness.h"
#include "world/progression.h"

namespace {

// The make-up of a level: hazards past the object count, the power-up on
// record 2 unless one is held, collectables otherwise.
int made_up_type(int count, int held, int i) { return i > count ? kHazard : i == 2 && !held ? kPowerUp : kCollectable; }

}  // namespace

TEST(Progression, RestartRebuildsTheField) {
    auto s = harness::open_surfaces();
    struct Case { int level, count, held; };
    for (Case c : {Case{3, 6, 0}, Case{3, 6, 1}, Case{6, 1, 0}}) {
        WorldState w;
        w.level = c.level, w.object_count = c.count, w.powerup_held = c.held, w.score_tens = 4, w.crash_reply = 'H';
        w.throwing = 1, w.opponent_rest = 9, w.level_up_pending = 1, w.powerup_wait = 7, w.powerup_shown = 1;
        w.objects = reset_pool(kPoolFalling), w.opponent = reset_pool(kPoolOpponent), w.opponent->away = 50;
        for (int k = 1; k <= 3; ++k) update_score_display(s.screen, s.sprites, s.backdrop, 0, 4, k, kScoreCollect);
        SDL_Rect junk{200, 200, 100, 100};
        SDL_FillRect(s.screen, &junk, 0xffff);
        restart_field(s.screen, s.sprites, s.backdrop, w);
        EXPECT_TRUE(harness::shows_backdrop(s, {0, 30, 640, 450}));      // icons and junk gone
        EXPECT_TRUE(harness::shows_sprite(s, {0, 22, 10, 10}, 550, 14));  // the score stays
        for (int i = 0; i < kFallingObjects; ++i) EXPECT_EQ(w.objects[i].type, made_up_type(c.count, c.held, i)) << i;
        EXPECT_EQ((std::vector<int>{progress_icons(), w.powerup_wait, w.powerup_shown, w.opponent->away,
                                    w.crash_reply, w.throwing, w.opponent_rest, w.level_up_pending, w.score_tens}),
                  (std::vector<int>{0, c.held ? 7 : 100, c.held, 0, 'N', 0, 9, 1, 4})) << c.held;
    }
}

TEST(Progression, LevelUpMakesUpLevels2To7) {
    auto s = harness::open_surfaces();
    fake::platform().on_delay = [](Uint32) { harness::press(SDLK_q); };
    WorldState w;
    w.level = 1, w.object_count = 10, w.objects = reset_pool(kPoolFalling);
    for (int level = 2; level <= 7; ++level) {
        const int held = level == 4;  // a held power-up brings no new one
        w.powerup_held = held, w.powerup_shown = 0, w.level_up_pending = 1, w.throwing = 1;
        // A second catch in the completing tick has counted an icon.
        update_score_display(s.screen, s.sprites, s.backdrop, 0, level, 0, kScoreCollect);
        level_up(s.screen, s.sprites, s.backdrop, w);
        const int counts[] = {8, 6, 4, 2, 1, 1};
        EXPECT_EQ((std::vector<int>{w.level, w.object_count, w.powerup_shown, w.opponent_rest, w.throwing,
                                    w.level_up_pending, progress_icons(), w.item_count == 1 || w.item_count == 2}),
                  (std::vector<int>{level, counts[level - 2], 1 - held, w.opponent->delay, 0, 0, 0, 1}));
        for (int i = 0; i < kFallingObjects; ++i) EXPECT_EQ(w.objects[i].type, made_up_type(w.object_count, held, i)) << level << ": " << i;
        EXPECT_TRUE(harness::shows_backdrop(s, {0, 0, 640, 480}));
    }
}

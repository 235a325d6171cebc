#include <cstdio>
#include <string>
#include <vector>

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "screens/lives.h"
#include "screens/score_display.h"
#include "support/harness.h"
#include "world/progression.h"
#include "world/world_tick.h"

namespace {

// The make-up of a level: hazards past the object count, the power-up on
// record 2 unless one is held, collectables otherwise.
int made_up_type(int count, int held, int i) { return i > count ? kHazard : i == 2 && !held ? kPowerUp : kCollectable; }

// The real game. Its level intros are known by their banner and answered:
// the first `held_back` pulses with up and an unmapped key, then q. Should
// an intro go unrecognised, q comes anyway after 30 idle pulses.
struct Game {
    harness::Surfaces s{};
    bool banner = false;
    int pulses = 0, held_back = 0, idle = 0;
    Game() {
        harness::use_dummy_drivers(), harness::enter_asset_dir();
        s.sprites = IMG_Load("sprites.png"), s.backdrop = IMG_Load("background.png");
        SDL_SetColorKey(s.sprites, SDL_SRCCOLORKEY, 0);
        fake::platform().on_flip = [this](SDL_Surface* video) {
            s.screen = video;
            pulses += banner = harness::shows_sprite(s, {0, 340, 500, 25}, 50, 200);
        };
        fake::platform().on_delay = [this](Uint32 ms) {
            idle = ms == 100 ? idle + 1 : 0;
            if (ms == 100 && (banner || idle > 30)) {
                harness::press(held_back > 0 ? SDLK_UP : SDLK_q);
                if (held_back-- > 0) harness::press(SDLK_a);
            }
        };
    }
    // One catch a frame: a collectable in the figure's reach (x 300, or 320
    // after a crash), every other falling object held far above.
    int catch_objects(int catches) {
        ObjectRecord* objects = reset_pool(kPoolFalling);  // the world's own records
        int answer = 'Y';
        for (; catches > 0 && answer == 'Y'; --catches) {
            for (int i = 1; i < kFallingObjects; ++i) objects[i].y = -200;
            objects[0] = ObjectRecord{310, 400, 0, 0, 0, 1, 0, 0, kCollectable};
            answer = harness::run_frames(1);
        }
        return answer;
    }
};

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

TEST(Game, LongRunThroughLevelsLostLivesAndTheEnd) {
    Game g;
    g.held_back = 1;  // up and an unmapped key do not end the first intro
    std::string text;
    {
        harness::StdoutCapture out;  // gtest reports there too: shown below on failure
        EXPECT_EQ(harness::run_frames(2), 'Y');
        EXPECT_EQ(g.catch_objects(10), 'Y');
        harness::press(SDLK_a);  // not the end: q was not remembered
        EXPECT_EQ(g.catch_objects(13), 'Y');  // level 3, with three icons
        EXPECT_EQ((std::vector<int>{world_state().level, g.pulses, progress_icons()}), (std::vector<int>{3, 3, 3}));
        ObjectRecord* items = reset_pool(kPoolItems);  // the world's own records
        for (int lives = 2; lives >= 0; --lives) {
            items[0] = ObjectRecord{320, 406, 0, 0, 0, 4, 0, 0, 0};  // lands on the figure
            EXPECT_EQ(harness::run_frames(1), lives > 0 ? 'Y' : 'N');
            EXPECT_EQ(lives_left(), lives);
            for (Sint16 k = 0, y = 30; k < 3; ++k, y = Sint16(y + 27))
                EXPECT_TRUE(k < lives ? harness::shows_sprite(g.s, {300, 5, 33, 22}, 600, y)
                                      : harness::shows_backdrop(g.s, {600, y, 33, 22})) << lives << k;
            EXPECT_TRUE(lives == 0 || (harness::shows_sprite(g.s, {0, 12, 10, 10}, 550, 14) &&  // 023 kept
                                       harness::shows_sprite(g.s, {10, 12, 10, 10}, 560, 14) &&
                                       harness::shows_backdrop(g.s, {8, 28, 20, 260}) && progress_icons() == 0));
        }
        text = out.text();
    }
    if (HasFailure()) std::fputs(text.c_str(), stderr);
    // One line a frame: its time since the last (held back 10 ms when short),
    // after the intros of 2 and 1 pulses and the crashes of 12 flashes.
    std::string expected = "the colorkey is 0\n";
    for (int ms : {0, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 210, 0, 10, 10, 10, 10, 10, 10, 10, 10, 110, 0, 10, 10, 1210, 1200})
        expected += "\n" + std::to_string(ms) + ", delay is " + (ms < 20 ? "10" : "0") + " ms\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(fake::platform().flips, 27 + 3 + 3 * 13);
}

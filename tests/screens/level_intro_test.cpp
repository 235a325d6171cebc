#include <vector>

#include <gtest/gtest.h>

#include "screens/level_intro.h"
#include "support/harness.h"

namespace {

// Watches each flip: records the glyph row in which both digits show (or
// -1) and whether the banner shows, then wipes the digits so that the next
// pulse draws on the plain backdrop.
struct Intro {
    harness::Surfaces s = harness::open_surfaces();
    int tens = 0, ones = 2;
    std::vector<int> rows;
    bool banner = true;
    Intro() {
        fake::platform().on_flip = [this](SDL_Surface*) {
            int shown = -1;
            for (Sint16 row = 370; row <= 436; row = Sint16(row + 22))
                if (harness::shows_sprite(s, {Sint16(15 * tens), row, 13, 21}, 550, 202) &&
                    harness::shows_sprite(s, {Sint16(15 * ones), row, 13, 21}, 570, 202))
                    shown = row;
            rows.push_back(shown);
            banner = banner && harness::shows_sprite(s, {0, 340, 500, 25}, 50, 200);
            SDL_Rect digits{550, 202, 33, 21}, place = digits;
            SDL_UpperBlit(s.backdrop, &digits, s.screen, &place);
        };
    }
    int run(int level) { return level_intro(s.screen, s.sprites, s.backdrop, level); }
};

}  // namespace

TEST(LevelIntro, NumbersCountFrom02AndResultsFollowTheLevel) {
    Intro intro;
    fake::platform().on_delay = [](Uint32) { harness::press(SDLK_q); };
    const int levels[] = {9, 1, 0, 2, 3, 4, 5, 6, 7}, results[] = {0, 10, 10, 8, 6, 4, 2, 1, 1};
    for (int call = 1; call <= 99; ++call) {  // the 99th shows 100: its tens, 10, as a 0
        intro.tens = (call + 1) / 10 % 10, intro.ones = (call + 1) % 10, intro.rows.clear();
        EXPECT_EQ(intro.run(call <= 9 ? levels[call - 1] : 7), call <= 9 ? results[call - 1] : 1) << call;
        EXPECT_EQ(intro.rows, std::vector<int>{392}) << call;
    }
    EXPECT_TRUE(intro.banner);
}

TEST(LevelIntro, PulsesUntilQThenLeavesThePlainBackdropUnshown) {
    Intro intro;
    fake::platform().on_delay = [](Uint32) {
        if (fake::platform().delays == 7) harness::press(SDLK_q);
    };
    EXPECT_EQ(intro.run(2), 8);
    EXPECT_EQ(intro.rows, (std::vector<int>{392, 414, 436, 414, 392, 370, 392}));
    EXPECT_TRUE(fake::platform().flips == 7 && fake::platform().waited_ms == 700);  // no flip after the last pulse
    EXPECT_TRUE(intro.banner && harness::shows_backdrop(intro.s, {0, 0, 640, 480}));
}

TEST(LevelIntro, OnlyQEndsItAndEventsBehindItStayQueued) {
    Intro intro;
    fake::platform().on_delay = [](Uint32) {  // pending keys are taken without pulses
        for (SDLKey key : {SDLK_SPACE, SDLK_UP, SDLK_RIGHT, SDLK_LEFT, SDLK_a})
            if (fake::platform().delays == 1) harness::press(key);
        for (SDLKey key : {SDLK_q, SDLK_SPACE, SDLK_a})
            if (fake::platform().delays == 3) harness::press(key);
    };
    intro.run(3);
    EXPECT_EQ(fake::platform().flips, 3);
    SDL_Event event;
    for (SDLKey key : {SDLK_SPACE, SDLK_a})
        EXPECT_TRUE(SDL_PollEvent(&event) == 1 && event.key.keysym.sym == key) << key;
    EXPECT_EQ(SDL_PollEvent(&event), 0);
}

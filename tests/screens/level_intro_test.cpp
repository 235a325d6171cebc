// The intro screen between levels, through level_intro.
#include <gtest/gtest.h>

#include "screens/level_intro.h"
#include "support/harness.h"

// How many ordinary falling objects each level brings; a level past 6 (or
// 0) keeps the count answered last. q ends the intro.
TEST(LevelIntro, AnswersEachLevelsObjectCount)
{
    const harness::Surfaces s = harness::open_surfaces();
    fake::platform().on_delay = [](Uint32) { fake::press(SDLK_q); };
    const struct {
        int level;
        int objects;
    } cases[] = {{9, 0}, {1, 10}, {0, 10}, {2, 8}, {3, 6}, {4, 4}, {5, 2}, {6, 1}, {7, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(level_intro(s.screen, s.sprites, s.backdrop, c.level), c.objects) << c.level;
    }
}

// Keys before q are taken without ending the intro; q ends it at once and
// what follows it stays queued for the game. Each pulse waits 100 ms and
// presents a picture; the plain backdrop is left, not yet presented.
TEST(LevelIntro, OnlyQEndsItAndEventsBehindItStayQueued)
{
    const harness::Surfaces s = harness::open_surfaces();
    fake::Platform& fake = fake::platform();
    fake.on_delay = [&fake](Uint32) {
        if (fake.delays == 1) {
            for (SDLKey key : {SDLK_SPACE, SDLK_UP, SDLK_RIGHT, SDLK_LEFT, SDLK_a}) {
                fake::press(key);
            }
        }
        if (fake.delays == 3) {
            for (SDLKey key : {SDLK_q, SDLK_SPACE, SDLK_a}) {
                fake::press(key);
            }
        }
    };
    level_intro(s.screen, s.sprites, s.backdrop, 3);
    EXPECT_EQ(fake.flips, 3);
    EXPECT_EQ(fake.waited_ms, 300u);
    EXPECT_TRUE(harness::shows_backdrop(s, {0, 0, 640, 480}));
    SDL_Event event;
    for (SDLKey key : {SDLK_SPACE, SDLK_a}) {
        ASSERT_EQ(SDL_PollEvent(&event), 1) << key;
        EXPECT_EQ(event.key.keysym.sym, key);
    }
    EXPECT_EQ(SDL_PollEvent(&event), 0);
}

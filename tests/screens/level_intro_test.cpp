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

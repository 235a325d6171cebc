// The score digits as update_score_display draws them, with what the
// replays never reach: hundreds of 10 and more.
#include <gtest/gtest.h>

#include "screens/score_display.h"
#include "support/harness.h"

// A hundreds digit past 9 shows its last digit (there is no glyph for 10);
// three zero digits keep the score shown, and a refresh draws what is shown.
TEST(ScoreDisplay, HundredsPastNineShowTheirLastDigitAndZerosKeepTheScore)
{
    const harness::Surfaces s = harness::open_surfaces();
    const auto shown = [&](int hundreds, int tens, int units, int mode) {
        update_score_display(s.screen, s.sprites, s.backdrop, hundreds, tens, units, mode);
        return harness::picture_hash(s.screen);
    };
    const unsigned long long zeros = shown(0, 0, 0, kScoreRefresh);
    const unsigned long long score_234 = shown(2, 3, 4, kScoreOnly);
    EXPECT_NE(score_234, zeros);
    EXPECT_NE(shown(3, 3, 4, kScoreOnly), score_234);
    EXPECT_EQ(shown(12, 3, 4, kScoreOnly), score_234) << "12 hundreds";
    EXPECT_EQ(shown(0, 0, 0, kScoreOnly), score_234) << "zeros";
    EXPECT_EQ(shown(0, 0, 0, kScoreLoss), score_234) << "zeros at a loss";
    EXPECT_EQ(shown(5, 6, 7, kScoreRefresh), score_234) << "a refresh";
    EXPECT_EQ(shown(10, 0, 0, kScoreOnly), zeros) << "10 hundreds";
}

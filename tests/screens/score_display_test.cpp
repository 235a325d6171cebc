// The score digits as update_score_display draws them, with what the
// replays never reach: hundreds of 10 and more.
#include <gtest/gtest.h>

#include "screens/score_display.h"
#include "support/harness.h"

namespace {

constexpr int kDigitX[3] = {540, 550, 560};  // hundreds, tens, units
int show(const harness::Surfaces& s, int hundreds, int tens, int units, int mode)
{
    return update_score_display(s.screen, s.sprites, s.backdrop, hundreds, tens, units, mode);
}

}  // namespace

// Three zero digits keep the score shown; refresh draws what is shown; a
// hundreds digit past 9 shows its last digit (there is no glyph for 10).
TEST(ScoreDisplay, ShowsTheDigitsPassedAndKeepsThemOnZeros)
{
    const harness::Surfaces s = harness::open_surfaces();
    const struct {
        int digits[3];
        int mode;
        int shown[3];
    } cases[] = {
        {{0, 0, 0}, kScoreRefresh, {0, 0, 0}}, {{1, 2, 3}, kScoreRefresh, {0, 0, 0}},
        {{1, 2, 3}, kScoreOnly, {1, 2, 3}},    {{0, 0, 0}, kScoreLoss, {1, 2, 3}},
        {{10, 0, 0}, kScoreOnly, {0, 0, 0}},   {{12, 3, 4}, kScoreOnly, {2, 3, 4}},
        {{0, 0, 0}, kScoreOnly, {2, 3, 4}},    {{4, 5, 6}, kScoreCollect, {4, 5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "digits " << c.digits[0] << " " << c.digits[1] << " "
                                        << c.digits[2] << ", mode " << c.mode);
        show(s, c.digits[0], c.digits[1], c.digits[2], c.mode);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(harness::shows_digit(s, c.shown[i], kDigitX[i]));
        }
    }
}

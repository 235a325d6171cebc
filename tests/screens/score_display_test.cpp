// The score digits and the progress column, as update_score_display draws
// them: digits the replays never reach (hundreds of 10 and more) and the
// column's count through a full level.
#include <gtest/gtest.h>

#include "screens/score_display.h"
#include "support/harness.h"

namespace {

constexpr int kDigitX[3] = {540, 550, 560};  // hundreds, tens, units
constexpr SDL_Rect kIcon = {20, 0, 20, 20};
constexpr int kIconX = 8;
constexpr int kLowestIconY = 260;  // the first icon; each next one 25 rows higher
constexpr int kIconStep = 25;

int show(const harness::Surfaces& s, int hundreds, int tens, int units, int mode)
{
    return update_score_display(s.screen, s.sprites, s.backdrop, hundreds, tens, units, mode);
}

testing::AssertionResult icon_shows(const harness::Surfaces& s, int number)
{
    return harness::shows_sprite(s, kIcon, kIconX, kLowestIconY - kIconStep * (number - 1));
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

// Nine catches show nine icons; the tenth finds the column full, ends the
// level and starts the count again without a tenth icon. A loss takes the
// top icon; zeros in collect mode put the count back to 0.
TEST(ScoreDisplay, TheTenthCatchCompletesTheLevel)
{
    const harness::Surfaces s = harness::open_surfaces();
    constexpr int kFullColumn = 9;
    for (int catches = 1; catches <= kFullColumn; ++catches) {
        EXPECT_EQ(show(s, 0, 0, catches, kScoreCollect), 0) << catches;
        EXPECT_TRUE(icon_shows(s, catches)) << catches;
    }
    EXPECT_EQ(show(s, 0, 1, 0, kScoreCollect), 1);
    EXPECT_EQ(progress_icons(), 0);
    const Sint16 tenth_y = static_cast<Sint16>(kLowestIconY - kIconStep * kFullColumn);
    EXPECT_TRUE(harness::shows_backdrop(s, {kIconX, tenth_y, 20, 20}));
    show(s, 0, 1, 1, kScoreCollect);
    show(s, 0, 1, 2, kScoreCollect);
    show(s, 0, 0, 0, kScoreLoss);
    EXPECT_EQ(progress_icons(), 1);
    EXPECT_TRUE(icon_shows(s, 1));
    EXPECT_TRUE(harness::shows_backdrop(s, {kIconX, 28, 20, 232})) << "the column above it";
    show(s, 0, 0, 0, kScoreCollect);
    EXPECT_EQ(progress_icons(), 0);
}

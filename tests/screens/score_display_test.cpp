#include <gtest/gtest.h>

#include "screens/score_display.h"
#include "support/harness.h"

namespace {

struct ScoreDisplay : ::testing::Test {
    harness::Surfaces s = harness::open_surfaces();
    int show(int h, int t, int u, int mode) { return update_score_display(s.screen, s.sprites, s.backdrop, h, t, u, mode); }
    bool shows(int h, int t, int u)
    {
        return harness::shows_digit(s, h, 540) && harness::shows_digit(s, t, 550) && harness::shows_digit(s, u, 560);
    }
    bool icon_at(int y) { return harness::shows_sprite(s, {20, 0, 20, 20}, 8, y); }
    bool clear(int top, int bottom) { return harness::shows_backdrop(s, {8, Sint16(top), 20, Uint16(bottom - top)}); }
    void repaint_column() { SDL_Rect c = {8, 28, 20, 260}; SDL_UpperBlit(s.backdrop, &c, s.screen, &c); }
};

TEST_F(ScoreDisplay, ShowsTheDigitsPassedAndKeepsThemOnZeros)
{
    // {digits, mode, shown}; no glyph past 9: a hundreds of 10 or more shows its last digit.
    const int cases[][7] = {{0, 0, 0, kScoreRefresh, 0, 0, 0}, {1, 2, 3, kScoreRefresh, 0, 0, 0}, {1, 2, 3, kScoreOnly, 1, 2, 3},
                            {0, 0, 0, kScoreLoss, 1, 2, 3},    {10, 0, 0, kScoreOnly, 0, 0, 0},   {12, 3, 4, kScoreOnly, 2, 3, 4},
                            {0, 0, 0, kScoreOnly, 2, 3, 4},    {4, 5, 6, 7, 4, 5, 6}};
    for (const auto& c : cases)
        EXPECT_TRUE(show(c[0], c[1], c[2], c[3]) == 0 && shows(c[4], c[5], c[6])) << c[0] << c[1] << c[2] << " mode " << c[3];
}

TEST_F(ScoreDisplay, NineIconsThenTheTenthCatchCompletesTheLevelAndZerosRestartTheCount)
{
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < 9; ++k)
            EXPECT_TRUE(show(0, 0, k + 1, kScoreCollect) == 0 && icon_at(260 - 25 * k) && clear(28, 260 - 25 * k)) << round << k;
        if (round == 0) {
            EXPECT_TRUE(show(0, 0, 0, kScoreCollect) == 0 && icon_at(60) && shows(0, 0, 9)) << "zeros: the count back to 0";
            repaint_column();
        }
    }
    EXPECT_TRUE(show(0, 1, 0, kScoreCollect) == 1 && clear(28, 60) && icon_at(60)) << "no tenth icon; the nine stay";
    repaint_column();  // as the level change does
    EXPECT_TRUE(show(0, 1, 1, kScoreCollect) == 0 && icon_at(260) && clear(28, 260));
}

TEST_F(ScoreDisplay, LossTakesTheTopIconAndLeavesAnEmptyColumnAlone)
{
    SDL_Rect mark = {10, 40, 3, 3};
    SDL_FillRect(s.screen, &mark, 0xFFFF);
    EXPECT_TRUE(show(0, 0, 0, kScoreLoss) == 0 && harness::pixel(s.screen, 11, 41) == 0xFFFF && shows(0, 0, 0));
    for (int k = 0; k < 3; ++k) show(0, 0, k + 1, kScoreCollect);
    EXPECT_TRUE(icon_at(260) && icon_at(210)) << "the count stayed at 0";
    show(0, 0, 0, kScoreLoss);
    EXPECT_TRUE(clear(28, 235) && icon_at(235) && clear(255, 260) && icon_at(260) && clear(280, 288) && shows(0, 0, 3));
}

}  // namespace

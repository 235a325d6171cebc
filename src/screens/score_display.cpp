#include "screens/score_display.h"

#include "base/surfaces.h"

namespace {

// 10 x 10 glyphs: even digits in the column at x 0, odd ones at x 10.
constexpr SDL_Rect kDigitGlyphs[10] = {
    {0, 0, 10, 10},  {10, 0, 10, 10},  {0, 12, 10, 10}, {10, 12, 10, 10},
    {0, 22, 10, 10}, {10, 22, 10, 10}, {0, 33, 10, 10}, {10, 33, 10, 10},
    {0, 44, 10, 10}, {10, 44, 10, 10},
};
constexpr Sint16 kScoreCellX[3] = {540, 550, 560};  // hundreds, tens, units
constexpr Sint16 kScoreCellY = 14;
constexpr SDL_Rect kScoreEraseArea = {540, 13, 40, 10};

constexpr SDL_Rect kProgressIconSource = {20, 0, 20, 20};
constexpr SDL_Rect kProgressColumnArea = {8, 28, 20, 260};
constexpr int kProgressIcons = 9;
// Icon k of the column stands 25 pixels above icon k - 1, the first at 260.
constexpr Sint16 kProgressIconX = 8;
constexpr Sint16 kLowestIconY = 260;
constexpr Sint16 kIconSpacing = 25;
constexpr Uint16 kDigitSize = 10;

int score_digits[3] = {0, 0, 0};
int progress_count = 0;

void draw_progress_icon(SDL_Surface* screen, SDL_Surface* sprites, int k)
{
    SDL_Rect source = kProgressIconSource;
    SDL_Rect place = {kProgressIconX, static_cast<Sint16>(kLowestIconY - kIconSpacing * k),
                      kProgressIconSource.w, kProgressIconSource.h};
    SDL_UpperBlit(sprites, &source, screen, &place);
}

void draw_score(SDL_Surface* screen, SDL_Surface* sprites)
{
    for (int i = 0; i < 3; ++i) {
        SDL_Rect source = kDigitGlyphs[shown_digit(score_digits[i])];
        SDL_Rect cell = {kScoreCellX[i], kScoreCellY, kDigitSize, kDigitSize};
        SDL_UpperBlit(sprites, &source, screen, &cell);
    }
}

// One more icon in the column; a collection that finds it full empties
// the count and answers 1: the level is complete.
int collect(SDL_Surface* screen, SDL_Surface* sprites)
{
    if (progress_count < kProgressIcons) {
        draw_progress_icon(screen, sprites, progress_count);
        progress_count += 1;
        return 0;
    }
    progress_count = 0;
    return 1;
}

// One icon less: the column is erased and drawn again from the top icon
// down.
void lose_icon(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop)
{
    progress_count -= 1;
    restore_area(screen, backdrop, kProgressColumnArea);
    for (int k = progress_count - 1; k >= 0; --k) {
        draw_progress_icon(screen, sprites, k);
    }
}

}  // namespace

int update_score_display(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                         int hundreds, int tens, int units, int mode)
{
    int result = 0;
    if (mode != kScoreRefresh) {
        const bool new_score = hundreds != 0 || tens != 0 || units != 0;
        if (new_score) {
            score_digits[0] = hundreds;
            score_digits[1] = tens;
            score_digits[2] = units;
        }
        restore_area(screen, backdrop, kScoreEraseArea);

        if (mode == kScoreCollect && !new_score) {
            // The caller has repainted the screen; only the count restarts.
            progress_count = 0;
        } else if (mode == kScoreCollect) {
            result = collect(screen, sprites);
        } else if (mode == kScoreLoss && progress_count != 0) {
            lose_icon(screen, sprites, backdrop);
        }
    }
    draw_score(screen, sprites);
    return result;
}

int progress_icons() { return progress_count; }

SDL_Rect score_glyph(int digit) { return kDigitGlyphs[shown_digit(digit)]; }

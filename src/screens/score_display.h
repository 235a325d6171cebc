// The score at the top right and the progress column at the left edge.
#pragma once

#include <SDL.h>

// Modes of update_score_display.
constexpr int kScoreCollect = 0;  // new score, one more progress icon
constexpr int kScoreOnly = 1;     // new score, column untouched
constexpr int kScoreRefresh = 2;  // redraw the score shown, no erase
constexpr int kScoreLoss = 5;     // new score (if any), one icon less

// The digit a glyph shows for a value: a value past 9 (the hundreds of a
// score of 1000 and more, the tens of level 100 and more) shows its last
// decimal digit.
inline int shown_digit(int value)
{
    const int last = value % 10;
    return last < 0 ? -last : last;
}

// Where the sheet holds the 10 x 10 glyph of a digit (0..9), for every
// screen that shows a score.
SDL_Rect score_glyph(int digit);

// Draws the score and keeps the progress column. Three zero digits mean
// "no new score": the score shown stays, and in collect mode the column's
// count goes back to 0 instead. Answers 1 when a collection finds the
// column full (the level is complete), else 0.
int update_score_display(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                         int hundreds, int tens, int units, int mode);

// Icons in the progress column, for tools that watch a run.
int progress_icons();

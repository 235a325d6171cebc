// The game-over screen: the final score, the level reached and the ten best
// games, shown once the last life has gone.
#pragma once

#include <SDL.h>

#include "base/score_table.h"

// The game that ended and the table it was entered in.
struct FinalScore {
    long long score;
    int level;
    const ScoreTable* table;
    int rank;  // of this game in the table, kNotEntered when it is not in it
};

// Draws the game-over picture on the screen (not yet presented).
void draw_game_over(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                    const FinalScore& final_score);

// Drops the keys pressed while the last crash played, then shows the
// picture until q, space, Return, p (a pad's Start) or the close button, or
// for 20 seconds. A close request among the dropped events ends it at once.
void game_over(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
               const FinalScore& final_score);

// The end of a run: the game enters the best-scores table, and a game that
// lost its last life shows the game-over screen. And --scores.
#pragma once

#include <SDL.h>

// Enters the finished game (its true score and the level reached) in the
// table; when no life is left, shows the game-over screen with the table
// (not after a close request: the window is to go).
void end_game(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop);

// Prints the table for --scores and answers the exit status: 0, or 1 when
// the table cannot be read or printed. Writes and renames nothing.
int print_scores();

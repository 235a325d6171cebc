// The player figure: walks, turns and jumps along the ground line.
#pragma once

#include <SDL.h>

// Erases the figure, moves it by `code` (a direction code), draws it and
// answers its rectangle, the same one on every call. The crash sequence
// may move the figure by writing the rectangle's x.
SDL_Rect* update_player(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int code);

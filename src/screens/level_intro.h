// The intro screen between two levels.
#pragma once

#include <SDL.h>

// Shows the banner and the pulsing intro number, waits until the q key is
// pressed (or Start on a pad, or the close button), leaves the plain
// backdrop on the screen (not yet presented) and answers how many ordinary
// falling objects `level` has.
int level_intro(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int level);

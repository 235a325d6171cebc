// Rebuilding the field: after a lost life, and at the start of each level.
#pragma once

#include <SDL.h>

#include "world/world_state.h"

// After a crash that left lives: repaints the screen, empties the progress
// column, refills all pools, brings the opponent back at once and hides
// the power-up (unless held) for 100 ticks.
void restart_field(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world);

// The level is complete: the next level's pools, opponent, items and
// power-up, its intro screen, and its hazards.
void level_up(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world);

// The falling objects: collectables, the power-up and hazards.
#pragma once

#include <SDL.h>

#include "world/world_state.h"

// Moves, draws and collides the falling objects 0 to 10 for one tick:
// catches score and fill the progress column, hazards empty it, the
// power-up is caught and held, objects that meet or reach the bottom burst
// and come back from the top. Sets level_up_pending when a catch completes
// the level.
void falling_object_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                         WorldState& world, const SDL_Rect& player_rect);

// The items: snowballs falling from the sky from level 2 on.
#pragma once

#include <SDL.h>

#include "world/world_state.h"

// Moves and draws the items in play for one tick; one landing on the
// player costs a life, one passing the bottom comes back from the top.
void item_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world,
               SDL_Rect* player_rect);

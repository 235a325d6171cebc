// The opponent on the ground and the object it throws.
#pragma once

#include <SDL.h>

#include "world/world_state.h"

// One tick of the opponent: the test whether a turned-back throw has beaten
// it (35 points), its absence, facing, rest, wind-up, the throw, the
// flight and what the thrown object does to the player.
void opponent_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world, SDL_Rect* player_rect);

// Forgets a turn-back in flight: the field is being rebuilt and the thrown
// object with it.
void cancel_turn_back();

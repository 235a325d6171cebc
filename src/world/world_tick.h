// The world's simulation step, once per frame.
#pragma once

#include <SDL.h>

// Paces the frame, moves, draws and collides everything but the player
// figure, restarts the field after a lost life, raises the level, draws the
// lives column and answers 'Y' while lives are left, 'N' once none is.
char world_tick(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                SDL_Rect* player_rect);

struct WorldState;

// The world's state, read-only, for tools that watch a run.
const WorldState& world_state();

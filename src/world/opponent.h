// The opponent on the ground and the object it throws.
#pragma once

#include <SDL.h>

#include "world/world_state.h"

// The opponent's record in its pool names the throw's heading in `tick`.
constexpr std::int32_t kHeadingRight = 0;
constexpr std::int32_t kHeadingLeft = 1;

// The opponent and its throw, one record for the whole run.
struct Opponent {
    ObjectRecord* record;  // its pool's record; null until level 2
    int rest;              // ticks before it winds up again
    int windup_wait;       // ticks to the next wind-up picture
    int throwing;          // the thrown object is in flight
    int deflected;         // the throw has been turned back at it
    int cooldown;          // ticks a turned-back throw cannot touch the player
    int thrown_frame_wait; // ticks to the thrown object's next picture
    SDL_Rect source;       // its picture on the sheet: facing and wind-up
    SDL_Rect place;
    SDL_Rect thrown_source;
    SDL_Rect thrown_place;
    SDL_Rect thrown_erase;  // erases the thrown object's last picture
};

// One tick of the opponent, from level 2 on: the test whether a turned-back
// throw has beaten it (35 points), its absence, facing, rest, wind-up, the
// throw, the flight and what the thrown object does to the player.
void opponent_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world, SDL_Rect* player_rect);

// A fresh opponent from its pool with nothing in flight, after a lost life:
// it stands there at once.
void restart_opponent();

// A fresh opponent from its pool with nothing in flight, for a new level:
// it first rests for its drawn delay.
void start_level_opponent();

// The opponent, read-only, for tools that watch a run.
const Opponent& opponent_state();

// The state that the passes of one world tick share. The tick owns the one
// instance for the whole run and hands it to each pass.
#pragma once

#include <cstdint>

#include <SDL.h>

#include "base/object_pools.h"

// Kinds of falling object.
constexpr std::int32_t kCollectable = 0;
constexpr std::int32_t kPowerUp = 1;
constexpr std::int32_t kHazard = 2;

// Where the held power-up's icon stands at the right edge.
constexpr SDL_Rect kPowerupIconRect = {600, 170, 23, 22};

// The falling objects a tick moves: records 0 to 10 of the pool.
constexpr int kFallingObjects = 11;

struct WorldState {
    int level = 0;  // 0 until the first tick sets the world up
    int anim_tick = 0;
    int score_hundreds = 0;  // never wrapped: 10 and more past a score of 999
    int score_tens = 0;
    int score_units = 0;
    int level_up_pending = 0;
    char frame_reply = 'Y';
    char crash_reply = 'N';
    int powerup_shown = 0;
    int powerup_wait = 0;
    int powerup_held = 0;
    int throwing = 0;
    int opponent_rest = 0;
    int deflect_cooldown = 0;
    ObjectRecord* objects = nullptr;
    ObjectRecord* opponent = nullptr;  // null on level 1
    ObjectRecord* items = nullptr;
    int object_count = 0;
    int item_count = 0;
    std::uint32_t now_ticks = 0;
    std::uint32_t last_ticks = 0;
    std::uint32_t frame_ms = 0;
};

// Adds one point to the score digits, carrying into tens and hundreds.
inline void add_point(WorldState& world)
{
    world.score_units += 1;
    if (world.score_units == 10) {
        world.score_tens += 1;
        world.score_units = 0;
    }
    if (world.score_tens == 10) {
        world.score_hundreds += 1;
        world.score_tens = 0;
    }
}

// The state that the passes of one world tick share. The tick owns the one
// instance for the whole run and hands it to each pass; the passes change
// the shared score and power-up through the operations below, except that
// two passes show the power-up again by setting powerup_shown themselves
// (falling_objects.cpp when its wait runs out, progression.cpp at a new
// level) and the falling objects count its wait down in powerup_wait.
#pragma once

#include <cstdint>

#include <SDL.h>

#include "base/object_pools.h"
#include "base/surfaces.h"
#include "screens/lives.h"

// Kinds of falling object.
constexpr std::int32_t kCollectable = 0;
constexpr std::int32_t kPowerUp = 1;
constexpr std::int32_t kHazard = 2;

// The power-up's picture on the sheet, and where the held power-up's icon
// stands at the right edge.
constexpr SDL_Rect kPowerupSource = {229, 0, 23, 22};
constexpr SDL_Rect kPowerupIconRect = {600, 170, 23, 22};
// Ticks a power-up stays hidden after it leaves the field or the field is
// rebuilt.
constexpr int kPowerupHideTicks = 100;

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
    ObjectRecord* objects = nullptr;
    ObjectRecord* items = nullptr;
    int object_count = 0;
    int item_count = 0;
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

// Something has hit the player: the crash sequence runs, and its reply
// tells the tick whether to rebuild the field.
inline void crash_player(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                         WorldState& world, SDL_Rect* player_rect)
{
    world.crash_reply =
        static_cast<char>(lives_event(screen, sprites, backdrop, kLivesCrash, player_rect));
}

// The player has caught the power-up: it leaves the field and is held.
inline void hold_powerup(WorldState& world)
{
    world.powerup_shown = 0;
    world.powerup_held = 1;
}

// The held power-up has turned a throw back and is spent: its icon goes
// and it shows again on the field.
inline void spend_powerup(SDL_Surface* screen, SDL_Surface* backdrop, WorldState& world)
{
    world.powerup_held = 0;
    world.powerup_shown = 1;
    SDL_Rect icon = kPowerupIconRect;
    restore_in_place(screen, backdrop, icon);
}

// The power-up leaves the field for a while.
inline void hide_powerup(WorldState& world)
{
    world.powerup_shown = 0;
    world.powerup_wait = kPowerupHideTicks;
}

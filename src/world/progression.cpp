#include "world/progression.h"

#include "base/random_numbers.h"

#include "base/surfaces.h"
#include "screens/level_intro.h"
#include "screens/lives.h"
#include "screens/score_display.h"
#include "world/opponent.h"

namespace {

constexpr int kPowerupRecord = 2;  // the falling object that is the power-up
constexpr int kMostObjects = 10;   // records up to this one fall on a level
constexpr int kMostItems = 2;

// From level 2 on, the falling objects past the level's object count are
// hazards.
void mark_hazards(WorldState& world)
{
    if (world.level > 1 && world.object_count < kMostObjects) {
        for (int i = kMostObjects; i > world.object_count; --i) {
            world.objects[i].type = kHazard;
        }
    }
}

}  // namespace

void restart_field(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world)
{
    restore_backdrop(screen, backdrop);
    update_score_display(screen, sprites, backdrop, 0, 0, 0, kScoreCollect);
    world.objects = reset_pool(kPoolFalling);
    // The thrown object is gone with the field; so is any turn-back of it.
    restart_opponent();
    world.items = reset_pool(kPoolItems);
    world.crash_reply = kReplyGameOver;
    if (world.powerup_held == 0) {
        world.objects[kPowerupRecord].type = kPowerUp;
        hide_powerup(world);
    }
    mark_hazards(world);
}

void level_up(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world)
{
    world.level += world.level_up_pending;
    world.objects = reset_pool(kPoolFalling);
    if (world.level > 1) {
        start_level_opponent();
        world.items = reset_pool(kPoolItems);
        // One or two items: draws of 0 are drawn again.
        world.item_count = 0;
        while (world.item_count == 0) {
            world.item_count = next_random() % (kMostItems + 1);
        }
    }
    if (world.level > 1 && world.powerup_held == 0) {
        world.powerup_shown = 1;
        world.objects[kPowerupRecord].type = kPowerUp;
    }
    // A new level starts with an empty progress count; the intro's backdrop
    // covers whatever this draws.
    update_score_display(screen, sprites, backdrop, 0, 0, 0, kScoreCollect);
    world.object_count = level_intro(screen, sprites, backdrop, world.level);
    mark_hazards(world);
    world.level_up_pending = 0;
}

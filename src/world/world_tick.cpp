#include "world/world_tick.h"

#include <cstdio>

#include "base/platform.h"
#include "screens/lives.h"
#include "world/falling_objects.h"
#include "world/items.h"
#include "world/opponent.h"
#include "world/progression.h"
#include "world/world_state.h"

namespace {

constexpr std::uint32_t kShortFrameMs = 20;  // frames closer than this wait
constexpr std::uint32_t kFrameWaitMs = 10;
constexpr int kAnimTicks = 6;

WorldState world;
std::uint32_t last_ticks = 0;  // the clock at the last frame

// Level 1: eleven collectables falling (objects meet only the first ten,
// object_count), no opponent, no items.
void set_up_world()
{
    world.level = 1;
    world.object_count = 10;
    world.objects = reset_pool(kPoolFalling);
    world.items = nullptr;
    world.item_count = 0;
    last_ticks = platform::get_ticks();
}

// Holds back a frame that comes less than 20 ms after the last by a fixed
// 10 ms, and prints the frame's time.
void pace_frame()
{
    const std::uint32_t now_ticks = platform::get_ticks();
    const std::uint32_t frame_ms = now_ticks - last_ticks;
    const std::uint32_t wait = frame_ms < kShortFrameMs ? kFrameWaitMs : 0;
    platform::delay(wait);
    last_ticks = now_ticks;
    std::printf("\n%lu, delay is %d ms\n", static_cast<unsigned long>(frame_ms),
                static_cast<int>(wait));
}

}  // namespace

char world_tick(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                SDL_Rect* player_rect)
{
    if (world.level == 0) {
        set_up_world();
    }
    pace_frame();

    falling_object_pass(screen, sprites, backdrop, world, *player_rect);
    opponent_pass(screen, sprites, backdrop, world, player_rect);
    if (world.item_count != 0) {
        item_pass(screen, sprites, backdrop, world, player_rect);
    }
    if (world.crash_reply == kReplyLifeLost) {
        restart_field(screen, sprites, backdrop, world);
    }

    world.frame_reply =
        static_cast<char>(lives_event(screen, sprites, backdrop, kLivesDraw, player_rect));

    world.anim_tick += 1;
    if (world.anim_tick == kAnimTicks) {
        world.anim_tick = 0;
    }
    if (world.level_up_pending != 0) {
        level_up(screen, sprites, backdrop, world);
    }
    return world.frame_reply;
}

const WorldState& world_state() { return world; }

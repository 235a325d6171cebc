#include "world/items.h"

#include "base/surfaces.h"

namespace {

constexpr SDL_Rect kItemSource = {3, 92, 17, 14};
constexpr int kBottomRow = 480;  // an item lower than this starts again at the top
// An item that would come back left of this margin comes at the right edge.
constexpr std::int32_t kItemMargin = 30;
constexpr std::int32_t kRightEdgeX = 601;
// The landing box: an item whose corner lies from the figure's left edge to
// 30 right of it, at or below the figure's top, lands on the player.
constexpr int kLandingWidth = 30;

SDL_Rect item_rect = {0, 0, 17, 14};
SDL_Rect item_erase_src = {0, 0, 20, 14};

void erase_item(SDL_Surface* screen, SDL_Surface* backdrop)
{
    restore_area(screen, backdrop, item_erase_src);
}

void move_item(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
               WorldState& world, SDL_Rect* player_rect, ObjectRecord& item)
{
    item_rect.x = static_cast<Sint16>(item.x);
    item_rect.y = static_cast<Sint16>(item.y);
    item_erase_src.x = static_cast<Sint16>(item.x);
    item_erase_src.y = static_cast<Sint16>(item.y - item.speed);
    erase_item(screen, backdrop);
    SDL_Rect source = kItemSource;
    SDL_UpperBlit(sprites, &source, screen, &item_rect);
    item.y += item.speed;

    // Read the figure afresh: an earlier crash in this tick has moved it.
    const Sint16 px = player_rect->x;
    const Sint16 py = player_rect->y;
    if (item.x >= px && item.x <= px + kLandingWidth && item.y >= py) {
        erase_item(screen, backdrop);
        crash_player(screen, sprites, backdrop, world, player_rect);
        item.y = kTopRow;
    }
    if (item_rect.y > kBottomRow) {
        put_back_at_top(item, kItemMargin, [](std::int32_t) { return kRightEdgeX; });
    }
}

}  // namespace

void item_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world,
               SDL_Rect* player_rect)
{
    for (int k = 0; k < world.item_count; ++k) {
        ObjectRecord& item = world.items[k];
        if (item.away == 0) {
            move_item(screen, sprites, backdrop, world, player_rect, item);
        }
    }
}

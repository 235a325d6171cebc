#include "world/falling_objects.h"

#include "base/sound.h"
#include "base/surfaces.h"
#include "screens/bursts.h"
#include "screens/score_display.h"

namespace {

// A collectable's eight pictures, 30 x 26 each; a hazard's lie 62 to the right.
constexpr SDL_Rect kObjectFrames[8] = {
    {100, 0, 30, 26},  {100, 26, 30, 26}, {100, 52, 30, 26}, {100, 78, 30, 26},
    {100, 104, 30, 26}, {70, 78, 30, 26},  {70, 52, 30, 26},  {70, 26, 30, 26},
};
constexpr Sint16 kHazardOffset = 62;

constexpr int kFrames = 8;
constexpr int kFrameStepTick = 5;  // pictures advance when anim_tick is 5
constexpr int kBottomRow = 450;    // an object lower than this leaves the field

// The catch box, around the figure's top-left corner: an object whose
// picture's corner lies from 25 left to 35 right of it, no higher than 39
// above it, touches the figure.
constexpr int kReachLeft = 25;
constexpr int kReachRight = 35;
constexpr int kReachAbove = 39;
// Two objects meet when one's corner lies within the other's 30 x 26 box.
constexpr int kObjectWidth = 30;
constexpr int kObjectHeight = 26;
// Objects come back right of this margin; after a catch, one in the band
// under the score digits starts a little lower.
constexpr std::int32_t kLeftMargin = 50;
constexpr std::int32_t kUnderScoreLeft = 541;
constexpr std::int32_t kUnderScoreRight = 559;
constexpr std::int32_t kUnderScoreRow = 15;
// Where a draw left of the margin goes when an object that met another
// comes back (moved right), and when one that passed the bottom does.
constexpr std::int32_t kReentryShift = 200;
constexpr std::int32_t kBottomReentryX = 60;

SDL_Rect object_rect = {1, 20, 30, 26};
SDL_Rect object_erase_src = {1, 20, 30, 30};

// Erases the picture drawn one tick ago: the backdrop goes to the very
// place it comes from, however the blit clips.
void erase_object(SDL_Surface* screen, SDL_Surface* backdrop)
{
    restore_area(screen, backdrop, object_erase_src);
}

void draw_object(SDL_Surface* screen, SDL_Surface* sprites, WorldState& world,
                 const ObjectRecord& object)
{
    SDL_Rect source = kObjectFrames[object.frame];
    switch (object.type) {
    case kCollectable:
        SDL_UpperBlit(sprites, &source, screen, &object_rect);
        break;
    case kHazard:
        source.x = static_cast<Sint16>(source.x + kHazardOffset);
        SDL_UpperBlit(sprites, &source, screen, &object_rect);
        break;
    case kPowerUp:
        if (world.powerup_shown != 0) {
            source = kPowerupSource;
            SDL_UpperBlit(sprites, &source, screen, &object_rect);
        } else {
            // Hidden: counts down until it shows again.
            world.powerup_wait -= 1;
            if (world.powerup_wait == 0) {
                world.powerup_shown = 1;
            }
        }
        break;
    default:
        break;
    }
}

// Back to the top after a catch, right of the margin.
void re_place(SDL_Surface* screen, SDL_Surface* backdrop, ObjectRecord& object)
{
    put_back_at_top(object, kLeftMargin, [](std::int32_t x) { return x + kLeftMargin; });
    if (object.x >= kUnderScoreLeft && object.x <= kUnderScoreRight) {
        object.y = kUnderScoreRow;
    }
    erase_object(screen, backdrop);
}

// The player touches the object. Answers whether the object was caught and
// put back at the top.
bool touch(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world,
           ObjectRecord& object)
{
    switch (object.type) {
    case kCollectable:
        add_point(world);
        if (update_score_display(screen, sprites, backdrop, world.score_hundreds,
                                 world.score_tens, world.score_units, kScoreCollect) == 1) {
            // Once complete, the level stays complete until the level-up.
            world.level_up_pending = 1;
            play_sound(kSoundLevelCompleted);
        } else {
            play_catch(progress_icons());
        }
        re_place(screen, backdrop, object);
        return true;
    case kHazard:
        update_score_display(screen, sprites, backdrop, 0, 0, 0, kScoreLoss);
        play_sound(kSoundCoal);
        re_place(screen, backdrop, object);
        return true;
    case kPowerUp:
        restore_in_place(screen, backdrop, object_rect);
        object.away = 1;
        object.type = kCollectable;
        hold_powerup(world);
        play_sound(kSoundMitten);
        return false;
    default:
        return false;
    }
}

bool inside(Sint16 value, std::int32_t low, std::int32_t high)
{
    return value >= low && value <= high;
}

// Erases the last picture and draws the next at the object's place, then
// lets it fall and steps its pictures. The rectangles keep the place
// before the fall; this tick's tests use it.
void draw_and_fall(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world, ObjectRecord& object)
{
    object_rect.x = static_cast<Sint16>(object.x);
    object_rect.y = static_cast<Sint16>(object.y);
    object_erase_src.x = static_cast<Sint16>(object.x);
    object_erase_src.y = static_cast<Sint16>(object.y - object.speed);
    erase_object(screen, backdrop);
    draw_object(screen, sprites, world, object);

    const bool hidden_powerup = object.type == kPowerUp && world.powerup_shown == 0;
    if (!hidden_powerup) {
        object.y += object.speed;
    }
    object.tick = world.anim_tick;
    if (world.anim_tick == kFrameStepTick) {
        object.frame = (object.frame + 1) % kFrames;
        object.tick = 0;
    }
    if (world.powerup_held != 0) {
        SDL_Rect source = kPowerupSource;
        SDL_Rect icon = kPowerupIconRect;
        SDL_UpperBlit(sprites, &source, screen, &icon);
    }
}

bool within_reach(const SDL_Rect& player_rect)
{
    const Sint16 px = player_rect.x;
    const Sint16 py = player_rect.y;
    return inside(object_rect.x, px - kReachLeft, px + kReachRight) &&
           object_rect.y >= py - kReachAbove;
}

// Object i meets each other object whose box holds its corner: it bursts
// (once, unless it has already ended this tick) and leaves the field.
// Answers whether it has ended.
bool meet_others(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                 WorldState& world, int i, bool ended)
{
    ObjectRecord& object = world.objects[i];
    for (int j = 0; j < world.object_count; ++j) {
        const ObjectRecord& partner = world.objects[j];
        if (j == i || !inside(object_rect.x, partner.x, partner.x + kObjectWidth) ||
            !inside(object_rect.y, partner.y, partner.y + kObjectHeight)) {
            continue;
        }
        object.away = 1;
        if (!ended) {
            burst_effect(screen, sprites, backdrop, object.x, object.y, kBurstStart);
        }
        ended = true;
        object.x = -1;
        object.y = -1;
        erase_object(screen, backdrop);
    }
    return ended;
}

// The object has passed the bottom row: it bursts there unless it has
// already ended this tick, and comes back at the top.
void leave_at_bottom(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                     WorldState& world, ObjectRecord& object, bool ended)
{
    erase_object(screen, backdrop);
    if (!ended) {
        burst_effect(screen, sprites, backdrop, object.x, object.y, kBurstStart);
    }
    if (object.type == kPowerUp) {
        hide_powerup(world);
    }
    put_back_at_top(object, kLeftMargin, [](std::int32_t) { return kBottomReentryX; });
}

// One tick of object i. A burst marks where an object really ends: once it
// has been put back at the top or taken off the field in this tick, it
// starts no more.
void move_object(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                 WorldState& world, const SDL_Rect& player_rect, int i)
{
    ObjectRecord& object = world.objects[i];
    if (object.away != 0) {
        // Re-enters at the top, well away from the left edge.
        put_back_at_top(object, kLeftMargin, [](std::int32_t x) { return x + kReentryShift; });
        object.away = 0;
        return;
    }
    draw_and_fall(screen, sprites, backdrop, world, object);
    bool ended = false;
    if (within_reach(player_rect)) {
        ended = touch(screen, sprites, backdrop, world, object);
    }
    ended = meet_others(screen, sprites, backdrop, world, i, ended);
    if (object_rect.y > kBottomRow) {
        leave_at_bottom(screen, sprites, backdrop, world, object, ended);
    }
}

}  // namespace

void falling_object_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                         WorldState& world, const SDL_Rect& player_rect)
{
    for (int i = 0; i < kFallingObjects; ++i) {
        move_object(screen, sprites, backdrop, world, player_rect, i);
    }
}

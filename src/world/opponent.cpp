#include "world/opponent.h"

#include <cstdlib>

#include "base/sound.h"
#include "base/surfaces.h"
#include "screens/score_display.h"

namespace {

constexpr Sint16 kFacingRight = 139;  // sheet rows of the two facings
constexpr Sint16 kFacingLeft = 175;
constexpr Sint16 kWindupStep = 29;    // sheet columns of the wind-up pictures
constexpr Sint16 kLastWindup = 90;    // past this picture the object is thrown
constexpr int kWindupTicks = 20;
constexpr Sint16 kThrownStep = 17;    // sheet columns of the thrown pictures
constexpr Sint16 kLastThrown = 38;
constexpr Sint16 kFirstThrownLater = 3;
constexpr int kThrownFrameTicks = 10;
constexpr Sint16 kThrowReach = 30;    // the throw starts this far from the opponent
constexpr int kCooldownTicks = 20;
constexpr int kBonusPoints = 35;
constexpr int kAwayTicks = 1000;      // a beaten opponent stays away 1..1000 ticks
constexpr int kLongAway = 1001;       // ... or this long for a draw of 0

// The thrown object reaches a figure on the ground when its left edge lies
// from 5 to 30 right of the figure's left edge, counting its 10 pixels of
// width; a jump lifts the figure's feet (55 below its top) over its row.
constexpr int kHitLeft = 5;
constexpr int kHitRight = 30;
constexpr int kThrownWidth = 10;
constexpr int kThrownRow = 460;
constexpr int kFigureFeet = 55;
// A turned-back throw beats the opponent when its left edge lies from 5 to
// 23 right of the opponent's.
constexpr int kBeatLeft = 5;
constexpr int kBeatRight = 23;
// The throw ends once its left edge leaves the columns 1 to 640.
constexpr int kFirstColumn = 1;
constexpr int kLastColumn = 640;

Opponent opponent = {
    nullptr, 0, kWindupTicks, 0, 0, 0, kThrownFrameTicks,
    {0, kFacingRight, 28, 37}, {0, 0, 0, 0},
    {4, 92, 16, 14}, {50, 460, 17, 14}, {49, 460, 17, 14},
};

bool heading_right(const ObjectRecord& record)
{
    return record.tick == kHeadingRight;
}

void draw_opponent(SDL_Surface* screen, SDL_Surface* sprites)
{
    SDL_UpperBlit(sprites, &opponent.source, screen, &opponent.place);
}

// The erase copies the backdrop to the very same place.
void erase_thrown(SDL_Surface* screen, SDL_Surface* backdrop)
{
    restore_area(screen, backdrop, opponent.thrown_erase);
}

void move_erase(int dx)
{
    opponent.thrown_erase.x = static_cast<Sint16>(opponent.thrown_erase.x + dx);
}

// A fresh record from the pool, nothing in flight.
void renew()
{
    opponent.record = reset_pool(kPoolOpponent);
    opponent.throwing = 0;
    opponent.deflected = 0;
}

// The turned-back object has reached its thrower: a fresh opponent after
// an absence, the power-up spent, and 35 points one by one.
void beat_opponent(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world)
{
    opponent.record = reset_pool(kPoolOpponent);
    opponent.record->away = std::rand() % kAwayTicks;
    if (opponent.record->away == 0) {
        opponent.record->away = kLongAway;
    }
    opponent.rest = 0;
    opponent.windup_wait = kWindupTicks;
    opponent.throwing = 0;
    opponent.deflected = 0;
    spend_powerup(screen, backdrop, world);
    play_sound(kSoundSnowmanBeaten);
    restore_in_place(screen, backdrop, opponent.place);
    restore_in_place(screen, backdrop, opponent.thrown_place);
    // The last picture lies where the next erase would go, `speed` behind
    // the object's new place: coming from the opponent's right, part of it
    // is outside both rectangles above.
    erase_thrown(screen, backdrop);

    for (int point = 0; point < kBonusPoints; ++point) {
        add_point(world);
        update_score_display(screen, sprites, backdrop, world.score_hundreds, world.score_tens,
                             world.score_units, kScoreOnly);
    }
}

// Four pictures of winding up, one every 20 ticks; the fourth throws
// towards the side the opponent faces.
void wind_up(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop)
{
    ObjectRecord& record = *opponent.record;
    if (opponent.throwing == 0) {
        opponent.windup_wait -= 1;
    }
    if (opponent.windup_wait != 0) {
        return;
    }
    restore_in_place(screen, backdrop, opponent.place);
    opponent.source.x = static_cast<Sint16>(opponent.source.x + kWindupStep);
    draw_opponent(screen, sprites);
    opponent.windup_wait = kWindupTicks;
    if (opponent.source.x <= kLastWindup) {
        return;
    }

    opponent.throwing = 1;
    play_sound(kSoundThrow);
    opponent.source.x = 0;
    const bool facing_right = opponent.source.y == kFacingRight;
    if (opponent.deflected == 0) {
        record.tick = facing_right ? kHeadingRight : kHeadingLeft;
    }
    const int side = facing_right ? 1 : -1;
    opponent.thrown_place.x = static_cast<Sint16>(opponent.place.x + side * kThrowReach);
    opponent.thrown_erase.x = static_cast<Sint16>(opponent.thrown_place.x - side * record.speed);
}

// The thrown object touches the player: turned back with the power-up,
// else a crash.
void hit_player(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                WorldState& world, SDL_Rect* player_rect)
{
    ObjectRecord& record = *opponent.record;
    if (world.powerup_held != 0) {
        record.tick = heading_right(record) ? kHeadingLeft : kHeadingRight;
        opponent.deflected = 1;
        // The erase moves to the new trailing side.
        move_erase(heading_right(record) ? -2 * record.speed : 2 * record.speed);
        opponent.cooldown = kCooldownTicks;
        play_sound(kSoundTurnBack);
        return;
    }
    move_erase(record.speed);
    erase_thrown(screen, backdrop);
    crash_player(screen, sprites, backdrop, world, player_rect);
}

// The thrown object has left the screen: it waits by the opponent again
// and the opponent rests.
void end_throw(SDL_Surface* screen, SDL_Surface* backdrop, WorldState& world)
{
    const ObjectRecord& record = *opponent.record;
    if (opponent.deflected != 0) {
        opponent.deflected = 0;
        spend_powerup(screen, backdrop, world);
    }
    opponent.rest = record.delay;
    if (heading_right(record)) {
        opponent.thrown_place.x = static_cast<Sint16>(opponent.place.x + kThrowReach);
        opponent.thrown_erase.x = static_cast<Sint16>(opponent.place.x - 1);
    } else {
        erase_thrown(screen, backdrop);
        opponent.thrown_place.x = static_cast<Sint16>(opponent.place.x - kThrowReach);
        opponent.thrown_erase.x = static_cast<Sint16>(opponent.place.x + 1);
    }
    opponent.throwing = 0;
}

// Within reach of a player on the ground; a jump clears it.
bool reaches_player(const SDL_Rect& player_rect)
{
    const int x = opponent.thrown_place.x;
    return x <= player_rect.x + kHitRight && x + kThrownWidth >= player_rect.x + kHitLeft &&
           kThrownRow <= player_rect.y + kFigureFeet;
}

// One tick of the thrown object: its next picture, what it does to the
// player, one step along its heading, and the end of the throw at an edge.
void fly(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world,
         SDL_Rect* player_rect)
{
    draw_opponent(screen, sprites);
    erase_thrown(screen, backdrop);
    if (opponent.thrown_frame_wait == 0) {
        opponent.thrown_source.x = static_cast<Sint16>(opponent.thrown_source.x + kThrownStep);
        if (opponent.thrown_source.x > kLastThrown) {
            opponent.thrown_source.x = kFirstThrownLater;
        }
        opponent.thrown_frame_wait = kThrownFrameTicks;
    }
    opponent.thrown_frame_wait -= 1;
    SDL_UpperBlit(sprites, &opponent.thrown_source, screen, &opponent.thrown_place);

    if (opponent.cooldown == 0 && reaches_player(*player_rect)) {
        hit_player(screen, sprites, backdrop, world, player_rect);
    }

    // A crash has refilled the record: its heading and speed count now.
    const ObjectRecord& record = *opponent.record;
    const int step = heading_right(record) ? record.speed : -record.speed;
    opponent.thrown_place.x = static_cast<Sint16>(opponent.thrown_place.x + step);
    move_erase(step);

    if (opponent.thrown_place.x < kFirstColumn || opponent.thrown_place.x > kLastColumn) {
        end_throw(screen, backdrop, world);
    }
}

// The opponent's turn, unless a beaten opponent is still away.
void take_turn(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
               WorldState& world, SDL_Rect* player_rect)
{
    if (opponent.deflected != 0 && opponent.thrown_place.x >= opponent.place.x + kBeatLeft &&
        opponent.thrown_place.x <= opponent.place.x + kBeatRight) {
        beat_opponent(screen, sprites, backdrop, world);
    }

    ObjectRecord& record = *opponent.record;
    if (record.away != 0) {
        record.away -= 1;
        return;
    }

    opponent.place = SDL_Rect{static_cast<Sint16>(record.x), static_cast<Sint16>(record.y),
                              opponent.source.w, opponent.source.h};
    opponent.source.y = player_rect->x > record.x ? kFacingRight : kFacingLeft;
    draw_opponent(screen, sprites);

    if (opponent.rest <= 0) {
        wind_up(screen, sprites, backdrop);
        if (opponent.throwing != 0) {
            fly(screen, sprites, backdrop, world, player_rect);
        }
    }
    if (opponent.rest != 0) {
        opponent.rest -= 1;
    }
}

}  // namespace

void opponent_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world, SDL_Rect* player_rect)
{
    if (opponent.record == nullptr) {
        return;
    }
    take_turn(screen, sprites, backdrop, world, player_rect);
    if (opponent.cooldown != 0) {
        opponent.cooldown -= 1;
    }
}

void restart_opponent()
{
    renew();
    opponent.record->away = 0;
}

void start_level_opponent()
{
    renew();
    opponent.rest = opponent.record->delay;
}

const Opponent& opponent_state() { return opponent; }

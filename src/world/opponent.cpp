#include "world/opponent.h"

#include <cstdlib>

#include "base/surfaces.h"
#include "screens/lives.h"
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

int deflected = 0;
int windup_wait = kWindupTicks;
int thrown_frame_wait = kThrownFrameTicks;
int bonus_left = 0;

SDL_Rect opponent_src = {0, kFacingRight, 28, 37};
SDL_Rect opponent_rect = {0, 0, 0, 0};
SDL_Rect thrown_src = {4, 92, 16, 14};
SDL_Rect thrown_rect = {50, 460, 17, 14};
// The area that erases the thrown object's last picture; the erase copies
// the backdrop to the very same place.
SDL_Rect thrown_erase_src = {49, 460, 17, 14};

void draw_opponent(SDL_Surface* screen, SDL_Surface* sprites)
{
    SDL_UpperBlit(sprites, &opponent_src, screen, &opponent_rect);
}

void erase_thrown(SDL_Surface* screen, SDL_Surface* backdrop)
{
    restore_area(screen, backdrop, thrown_erase_src);
}

void move_erase(int dx)
{
    thrown_erase_src.x = static_cast<Sint16>(thrown_erase_src.x + dx);
}

// The turned-back object has reached its thrower: a fresh opponent after
// an absence, the power-up spent, and 35 points one by one.
void beat_opponent(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world)
{
    world.opponent = reset_pool(kPoolOpponent);
    world.opponent->away = std::rand() % 1000;
    if (world.opponent->away == 0) {
        world.opponent->away = 1001;
    }
    world.opponent_rest = 0;
    windup_wait = kWindupTicks;
    world.throwing = 0;
    deflected = 0;
    world.powerup_held = 0;
    world.powerup_shown = 1;

    SDL_Rect icon = kPowerupIconRect;
    restore_in_place(screen, backdrop, icon);
    restore_in_place(screen, backdrop, opponent_rect);
    restore_in_place(screen, backdrop, thrown_rect);
    // The last picture lies where the next erase would go, `speed` behind
    // the object's new place: coming from the opponent's right, part of it
    // is outside both rectangles above.
    erase_thrown(screen, backdrop);

    bonus_left = kBonusPoints;
    while (bonus_left != 0) {
        add_point(world);
        update_score_display(screen, sprites, backdrop, world.score_hundreds, world.score_tens,
                             world.score_units, kScoreOnly);
        bonus_left -= 1;
    }
}

// Four pictures of winding up, one every 20 ticks; the fourth throws
// towards the side the opponent faces.
void wind_up(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world)
{
    ObjectRecord& opponent = *world.opponent;
    if (world.throwing == 0) {
        windup_wait -= 1;
    }
    if (windup_wait != 0) {
        return;
    }
    restore_in_place(screen, backdrop, opponent_rect);
    opponent_src.x = static_cast<Sint16>(opponent_src.x + kWindupStep);
    draw_opponent(screen, sprites);
    windup_wait = kWindupTicks;
    if (opponent_src.x <= kLastWindup) {
        return;
    }

    world.throwing = 1;
    opponent_src.x = 0;
    if (opponent_src.y == kFacingRight) {
        if (deflected == 0) {
            opponent.tick = 0;
        }
        thrown_rect.x = static_cast<Sint16>(opponent_rect.x + kThrowReach);
        thrown_erase_src.x = static_cast<Sint16>(thrown_rect.x - opponent.speed);
    } else {
        if (deflected == 0) {
            opponent.tick = 1;
        }
        thrown_rect.x = static_cast<Sint16>(opponent_rect.x - kThrowReach);
        thrown_erase_src.x = static_cast<Sint16>(thrown_rect.x + opponent.speed);
    }
}

// The thrown object touches the player: turned back with the power-up,
// else a crash.
void hit_player(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                WorldState& world, SDL_Rect* player_rect)
{
    ObjectRecord& opponent = *world.opponent;
    if (world.powerup_held != 0) {
        opponent.tick = opponent.tick == 0 ? 1 : 0;
        deflected = 1;
        // The erase moves to the new trailing side.
        move_erase(opponent.tick == 0 ? -2 * opponent.speed : 2 * opponent.speed);
        world.deflect_cooldown = kCooldownTicks;
        return;
    }
    move_erase(opponent.speed);
    erase_thrown(screen, backdrop);
    world.crash_reply = static_cast<char>(
        lives_event(screen, sprites, backdrop, kLivesCrash, player_rect));
}

// The thrown object has left the screen: it waits by the opponent again
// and the opponent rests.
void end_throw(SDL_Surface* screen, SDL_Surface* backdrop, WorldState& world)
{
    const ObjectRecord& opponent = *world.opponent;
    if (deflected != 0) {
        deflected = 0;
        world.powerup_held = 0;
        world.powerup_shown = 1;
        SDL_Rect icon = kPowerupIconRect;
        restore_in_place(screen, backdrop, icon);
    }
    world.opponent_rest = opponent.delay;
    if (opponent.tick == 0) {
        thrown_rect.x = static_cast<Sint16>(opponent_rect.x + kThrowReach);
        thrown_erase_src.x = static_cast<Sint16>(opponent_rect.x - 1);
    } else {
        erase_thrown(screen, backdrop);
        thrown_rect.x = static_cast<Sint16>(opponent_rect.x - kThrowReach);
        thrown_erase_src.x = static_cast<Sint16>(opponent_rect.x + 1);
    }
    world.throwing = 0;
}

void fly(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, WorldState& world,
         SDL_Rect* player_rect)
{
    draw_opponent(screen, sprites);
    erase_thrown(screen, backdrop);
    if (thrown_frame_wait == 0) {
        thrown_src.x = static_cast<Sint16>(thrown_src.x + kThrownStep);
        if (thrown_src.x > kLastThrown) {
            thrown_src.x = kFirstThrownLater;
        }
        thrown_frame_wait = kThrownFrameTicks;
    }
    thrown_frame_wait -= 1;
    SDL_UpperBlit(sprites, &thrown_src, screen, &thrown_rect);

    // Within reach of a player on the ground; a jump clears it.
    const Sint16 px = player_rect->x;
    const Sint16 py = player_rect->y;
    if (world.deflect_cooldown == 0 && thrown_rect.x <= px + 30 && thrown_rect.x + 10 >= px + 5 &&
        460 <= py + 55) {
        hit_player(screen, sprites, backdrop, world, player_rect);
    }

    // A crash has refilled the record: its heading and speed count now.
    const ObjectRecord& opponent = *world.opponent;
    const int step = opponent.tick == 0 ? opponent.speed : -opponent.speed;
    thrown_rect.x = static_cast<Sint16>(thrown_rect.x + step);
    move_erase(step);

    if (static_cast<Uint16>(thrown_rect.x - 1) > 639) {
        end_throw(screen, backdrop, world);
    }
}

}  // namespace

void opponent_pass(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   WorldState& world, SDL_Rect* player_rect)
{
    if (deflected != 0 && thrown_rect.x >= opponent_rect.x + 5 &&
        thrown_rect.x <= opponent_rect.x + 23) {
        beat_opponent(screen, sprites, backdrop, world);
    }

    ObjectRecord& opponent = *world.opponent;
    if (opponent.away != 0) {
        opponent.away -= 1;
        return;
    }

    opponent_rect = SDL_Rect{static_cast<Sint16>(opponent.x), static_cast<Sint16>(opponent.y),
                             opponent_src.w, opponent_src.h};
    opponent_src.y = player_rect->x > opponent.x ? kFacingRight : kFacingLeft;
    draw_opponent(screen, sprites);

    if (world.opponent_rest <= 0) {
        wind_up(screen, sprites, backdrop, world);
        if (world.throwing != 0) {
            fly(screen, sprites, backdrop, world, player_rect);
        }
    }
    if (world.opponent_rest != 0) {
        world.opponent_rest -= 1;
    }
}

void cancel_turn_back()
{
    deflected = 0;
}

#include "player/player.h"

#include "base/keyboard.h"
#include "base/sound.h"

namespace {

// Walking cells of the figure: 0..2 face right, 3..5 face left.
constexpr SDL_Rect kPlayerFrames[6] = {
    {299, 5, 40, 65}, {299, 70, 40, 65}, {299, 135, 40, 65},
    {260, 5, 40, 65}, {260, 70, 40, 65}, {260, 135, 40, 65},
};

constexpr int kRightEdgeStop = 616;  // a right step from beyond here is refused
constexpr int kJumpSteps = 40;       // 20 up, then 20 down
constexpr int kWalkTicksPerFrame = 15;
constexpr Sint16 kStep = 2;  // pixels a walking call moves the figure
constexpr int kFirstRightFrame = 0;
constexpr int kLastRightFrame = 2;
constexpr int kFirstLeftFrame = 3;
constexpr int kLastLeftFrame = 5;

SDL_Rect figure_rect = {300, 410, 40, 60};
SDL_Rect erase_rect = {300, 410, 42, 66};
SDL_Rect erase_dest = {300, 410, 42, 66};
char facing = kCodeLeft;
int jump_count = 0;
int right_frame = 0;
int left_frame = kFirstLeftFrame;
int walk_tick = 0;
int right_reverse = 0;
int left_reverse = 0;
// Where the figure was last drawn; differs from figure_rect's x only when
// something else (the crash sequence) has moved the figure since.
Sint16 drawn_x = 300;

// Moves one walk cycle on by a frame, back and forth between its ends.
void step_cycle(int& frame, int& reverse, bool frame_step, int first, int last)
{
    if (frame_step) {
        frame += reverse ? -1 : 1;
    }
    if (frame == last) {
        reverse = 1;
    }
    if (frame == first) {
        reverse = 0;
    }
}

// A step left or right, the walk cycle on by a frame every 15 calls; the
// jump code starts a jump unless one is on.
void walk(int code)
{
    walk_tick += 1;
    const bool frame_step = walk_tick == kWalkTicksPerFrame;
    if (frame_step) {
        walk_tick = 0;
    }
    if (code == kCodeLeft) {
        erase_rect.x = figure_rect.x;
        figure_rect.x = static_cast<Sint16>(figure_rect.x - kStep);
        step_cycle(left_frame, left_reverse, frame_step, kFirstLeftFrame, kLastLeftFrame);
    } else if (code == kCodeRight) {
        if (figure_rect.x <= kRightEdgeStop) {
            figure_rect.x = static_cast<Sint16>(figure_rect.x + kStep);
        }
        erase_rect.x = static_cast<Sint16>(figure_rect.x - kStep);
        step_cycle(right_frame, right_reverse, frame_step, kFirstRightFrame, kLastRightFrame);
    } else if (code == kCodeJump && jump_count == 0) {
        jump_count = kJumpSteps;
        play_sound(kSoundJump);
    }
}

// A jump moves a pixel up, then down, only on steering calls; the call that
// starts it and any other code leave it where it is.
void rise_or_fall(int code)
{
    const bool steering = code == kCodeLeft || code == kCodeRight || code == kCodeStand;
    if (jump_count != 0 && steering) {
        erase_rect.y = figure_rect.y;
        figure_rect.y = static_cast<Sint16>(figure_rect.y + (jump_count > kJumpSteps / 2 ? -1 : 1));
        jump_count -= 1;
    }
}

// Puts the backdrop back where the figure was and draws it in `frame`.
void draw_figure(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int frame)
{
    erase_dest.x = erase_rect.x;
    erase_dest.y = erase_rect.y;
    SDL_UpperBlit(backdrop, &erase_rect, screen, &erase_dest);
    SDL_Rect source = kPlayerFrames[frame];
    SDL_UpperBlit(sprites, &source, screen, &figure_rect);
    drawn_x = figure_rect.x;
}

}  // namespace

SDL_Rect* update_player(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int code)
{
    // The figure was moved elsewhere since the last draw: restore where it
    // stands now, not where it stood.
    if (figure_rect.x != drawn_x) {
        erase_rect.x = figure_rect.x;
    }
    if (code != kCodeJump) {
        facing = static_cast<char>(code);
    }
    // The cell shown is the one before this call's step.
    const int frame = facing == kCodeLeft ? left_frame : right_frame;
    walk(code);
    rise_or_fall(code);
    draw_figure(screen, sprites, backdrop, frame);
    return &figure_rect;
}

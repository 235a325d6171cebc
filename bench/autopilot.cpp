#include "autopilot.h"

#include <algorithm>
#include <cstdlib>

#include "screens/lives.h"
#include "support/fake_platform.h"
#include "world/opponent.h"
#include "world/world_state.h"
#include "world/world_tick.h"

namespace autopilot {

// Puts a key-down event for `key` into SDL's queue, as a key press would.
void push_key(SDLKey key)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

namespace {

constexpr int kHorizon = 48;  // frames each plan looks ahead
constexpr int kJumpSteps = 40;
constexpr int kLatestJump = 30;  // plans jump after at most this many frames

bool inside(int value, int low, int high) { return value >= low && value <= high; }

char code_of(int step) { return step < 0 ? 'L' : step > 0 ? 'R' : 'S'; }
int step_of(char code) { return code == 'L' ? -1 : code == 'R' ? 1 : 0; }

}  // namespace

// Scores walking `step` (-1, 0, 1) for the next frames, with a jump after
// `wait` frames (none when negative): catches ahead count for the plan,
// hazards and lost lives against it.
double Pilot::plan_score(int step, int wait) const
{
    const WorldState& w = world_state();
    const Opponent& opp = opponent_state();
    int xs[kHorizon + 1], ys[kHorizon + 1];
    int x = x_, y = y_, left = jump_;
    double score = wait >= 0 ? -3 : 0;
    for (int k = 1; k <= kHorizon; ++k) {
        if (k == wait + 1) {
            left = left == 0 ? kJumpSteps : left;
        } else {
            x += step < 0 ? -2 : step > 0 && x <= 616 ? 2 : 0;
            if (left != 0) {
                y += left > kJumpSteps / 2 ? -1 : 1;
                left -= 1;
            }
        }
        xs[k] = x;
        ys[k] = y;
        if (x < 0) {
            score -= 50;
        }
        // A throw starts 30 pixels to the opponent's side: too close to jump.
        if (opp.record != nullptr && opp.record->away == 0 && std::abs(x - opp.record->x) < 80) {
            score -= 30;
        }
    }

    int nearest = 10000;
    for (int i = 0; i < kFallingObjects; ++i) {
        const ObjectRecord& o = w.objects[i];
        if (o.away != 0 || (o.type == kPowerUp && w.powerup_shown == 0)) {
            continue;
        }
        if (o.type == kCollectable && o.y < 371) {
            nearest = std::min(nearest, std::max({0, o.x - 35 - xs[kHorizon], xs[kHorizon] - o.x - 25}));
        }
        for (int k = 1; k <= kHorizon; ++k) {
            const int top = o.y + o.speed * (k - 1);
            if (top >= ys[k] - 39 && inside(o.x, xs[k] - 25, xs[k] + 35)) {
                score += o.type == kCollectable ? 100 - k : o.type == kHazard ? -80 : w.powerup_held ? 0 : 60;
                break;
            }
            if (top > 450) {
                break;
            }
        }
    }
    score -= 0.2 * (nearest == 10000 ? std::abs(xs[kHorizon] - 300) : nearest);

    for (int i = 0; i < w.item_count; ++i) {
        const ObjectRecord& item = w.items[i];
        for (int k = 1; k <= kHorizon && item.away == 0; ++k) {
            const int top = item.y + item.speed * (k - 1);
            if (inside(item.x, xs[k], xs[k] + 30) && top + item.speed >= ys[k]) {
                score -= 1000 - k;
                break;
            }
            if (top > 480) {
                break;  // back to the top, somewhere
            }
        }
    }

    if (opp.record != nullptr && opp.throwing != 0 && w.powerup_held == 0) {
        const int speed = opp.record->tick == 0 ? opp.record->speed : -opp.record->speed;
        for (int k = 1; k <= kHorizon; ++k) {
            const int ball = thrown_x_ + speed * (k - 1);
            if (k > opp.cooldown && ball <= xs[k] + 30 && ball + 10 >= xs[k] + 5 && ys[k] >= 405) {
                score -= 1000 - k;
                break;
            }
        }
    }
    return score;
}

void Pilot::press(SDLKey key)
{
    push_key(key);
    pressed_ = key == SDLK_SPACE ? 'U' : key == SDLK_LEFT ? 'L' : key == SDLK_RIGHT ? 'R' : 'S';
}

void Pilot::before_frame()
{
    if (world_state().level == 0) {
        return;
    }
    // Walk one way for the next frames, jumping after some of them; a jump
    // keeps the steering in force, so a new way takes a frame first.
    int best_step = step_of(direction_), best_wait = -1;
    double best = plan_score(best_step, -1) + 0.5;
    for (int step = -1; step <= 1; ++step) {
        const bool turn = code_of(step) != direction_;
        for (int wait = -1; wait <= kLatestJump; ++wait) {
            if (wait >= 0 && (jump_ > wait || (turn && wait == 0) || direction_ == 0)) {
                continue;
            }
            const double score = plan_score(step, wait);
            if (score > best) {
                best = score;
                best_step = step;
                best_wait = wait;
            }
        }
    }
    if (best_wait == 0) {
        press(SDLK_SPACE);
    } else if (code_of(best_step) != direction_) {
        press(best_step < 0 ? SDLK_LEFT : best_step > 0 ? SDLK_RIGHT : SDLK_UP);
    }
}

void Pilot::after_frame()
{
    // The figure, as update_player and the game loop move it.
    const char code = pressed_ != 0 ? pressed_ : direction_;
    pressed_ = 0;
    if (code == 'L') {
        x_ -= 2;
    } else if (code == 'R' && x_ <= 616) {
        x_ += 2;
    } else if (code == 'U' && jump_ == 0) {
        jump_ = kJumpSteps;
    }
    if (jump_ != 0 && (code == 'L' || code == 'R' || code == 'S')) {
        y_ += jump_ > kJumpSteps / 2 ? -1 : 1;
        jump_ -= 1;
    }
    if (code != 'U') {
        last_steer_ = code;
    }
    direction_ = code == 'U' ? last_steer_ : code;
    if (lives_left() < lives_) {
        x_ = 320;  // a crash puts the figure back in the middle
    }
    lives_ = lives_left();

    // The thrown object starts beside the opponent and moves every tick.
    const Opponent& opp = opponent_state();
    if (opp.record != nullptr && opp.throwing != 0) {
        const ObjectRecord& o = *opp.record;
        const int speed = o.tick == 0 ? o.speed : -o.speed;
        if (was_throwing_ == 0) {
            thrown_x_ = o.x + (o.tick == 0 ? 30 : -30) + speed;
        } else if (o.away == 0) {
            thrown_x_ += speed;
        }
    }
    was_throwing_ = opp.throwing;
}

void answer_intros()
{
    // The intro pulses with 100 ms waits after the level has gone up and
    // while the level-up is still pending; the crash sequence's waits are
    // 100 ms too, but come before the level changes.
    fake::platform().on_delay = [answered = 1](Uint32 ms) mutable {
        const WorldState& w = world_state();
        if (ms == 100 && w.level_up_pending != 0 && w.level != answered) {
            answered = w.level;
            push_key(SDLK_q);
        }
    };
}

}  // namespace autopilot

// Finds the keys of a long session offline: plays the real game and, every
// few frames, tries each short key plan in a forked copy of the run, then
// keeps the best. Until the opponent has been beaten with the power-up and
// `target` levels are reached it plays to win; then it jumps under the
// items until one has hit, and lets the last lives go. Writes the keys as a replay script:
//   frostrun_search SCRIPT [TARGET_LEVEL]   (in a folder with the images)
// The result is a plain key list; the search is never needed to replay it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "replay/session.h"
#include "screens/lives.h"
#include "screens/score_display.h"
#include "support/fake_platform.h"
#include "support/harness.h"
#include "world/world_state.h"
#include "world/world_tick.h"

namespace {

constexpr int kChunk = 8;       // frames between decisions
constexpr int kFollowUp = 24;   // frames of the second plan in a trial
constexpr Uint32 kFrameCost = 7;
const char* const kSteer[] = {"Right", "Left", "Up"};

struct Plan {
    int steer;  // index into kSteer
    bool jump;  // space in the plan's second frame
};

struct Watch {  // what a trial saw
    int lives_lost = 0, levels = 0, progress = 0, turned = 0, beaten = 0, answer = 'Y';
    int item_hits = 0;  // lives lost in the air, where the thrown object never reaches
};

int score()
{
    const WorldState& w = world_state();
    return w.score_hundreds * 100 + w.score_tens * 10 + w.score_units;
}

int current_steer = -1;
std::vector<std::string> script;
int step_no = 0;

// Plays `frames` frames of `plan`, logging its keys when `keep` is set.
void play(const Plan& plan, int frames, Watch& seen, bool keep)
{
    for (int i = 0; i < frames && static_cast<char>(seen.answer) == 'Y'; ++i) {
        ++step_no;
        std::string keys;
        if (i == 0 && plan.steer != current_steer) {
            current_steer = plan.steer;
            keys = kSteer[plan.steer];
        }
        if (i == 1 && plan.jump) {
            keys = "Space";
        }
        if (!keys.empty()) {
            session::push(keys);
            if (keep) {
                script.push_back(std::to_string(step_no) + " " + keys);
            }
        }
        const int lives = lives_left(), level = world_state().level, points = score();
        const int progress = level * 10 + progress_icons();
        seen.answer = session::step();
        seen.lives_lost += lives - lives_left();
        seen.item_hits += session::figure()->y < 405 ? lives - lives_left() : 0;
        seen.levels += world_state().level - level;
        seen.progress += world_state().level * 10 + progress_icons() - progress;
        seen.turned += world_state().deflect_cooldown == 19;
        seen.beaten += score() - points >= 35;
    }
}

// Where the figure should stand: under the collectable (or the power-up)
// it can reach first, or under the lowest item when losing lives.
int target_x(bool losing, bool want_powerup)
{
    const WorldState& w = world_state();
    const int fx = session::figure()->x;
    if (losing) {
        int best = -1, x = fx;
        for (int k = 0; k < w.item_count; ++k) {
            if (w.items[k].y > best && w.items[k].y < 400) {
                best = w.items[k].y;
                x = w.items[k].x - 7;
            }
        }
        return x;
    }
    double soonest = 1e9;
    int x = fx;
    for (int i = 0; i < kFallingObjects; ++i) {
        const ObjectRecord& o = w.objects[i];
        const bool wanted = want_powerup ? i == 2 && o.type == kPowerUp && w.powerup_shown
                                         : o.type == kCollectable;
        const double frames = (371.0 - o.y) / o.speed;
        if (wanted && o.away == 0 && frames > 0 && frames < soonest &&
            std::abs(o.x - 5 - fx) / 2.0 <= frames + 10) {
            soonest = frames;
            x = o.x - 5;
        }
    }
    return x;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SCRIPT [TARGET_LEVEL]\n", argv[0]);
        return 2;
    }
    const int target_level = argc > 2 ? std::atoi(argv[2]) : 4;
    harness::use_dummy_drivers();
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 2;
    }
    fake::platform().frame_cost_ms = kFrameCost;
    session::on_intro([](int, int) { session::push("q"); });

    Watch run;
    session::step();  // start-up
    session::step();  // the first frame draws the figure
    step_no = 2;
    bool beaten = false, item_hit = false;
    while (static_cast<char>(run.answer) == 'Y' && step_no < 40000) {
        const bool losing = beaten && world_state().level >= target_level;
        const bool want_powerup = world_state().level >= 2 && !beaten && !world_state().powerup_held;
        const int target = target_x(losing, want_powerup);
        const bool airborne = session::figure()->y != 410;
        std::vector<Plan> plans;
        for (int steer = 0; steer < 3; ++steer) {
            for (int jump = 0; jump < (airborne ? 1 : 2); ++jump) {
                plans.push_back({steer, jump == 1});
            }
        }
        double best_value = -1e18;
        Plan best = plans[0];
        for (const Plan& first : plans) {
            for (const Plan& second : plans) {
                int fds[2];
                if (pipe(fds) != 0) {
                    return 2;
                }
                const pid_t child = fork();
                if (child == 0) {
                    Watch seen;  // the copy plays on; only its verdict comes back
                    play(first, kChunk, seen, false);
                    play(second, kFollowUp, seen, false);
                    const int fx = session::figure()->x;
                    const double losses = item_hit ? 5000.0 * seen.lives_lost
                                                   : 5000.0 * seen.item_hits - 3000.0 * seen.lives_lost;
                    double value = losing ? losses
                                          : 1e4 * seen.levels + 100.0 * seen.progress -
                                                5000.0 * seen.lives_lost + 3000.0 * seen.beaten +
                                                (beaten ? 0 : 800.0 * (seen.turned > 0)) +
                                                (want_powerup ? 400.0 * world_state().powerup_held : 0);
                    value -= 2.0 * std::abs(fx - target);
                    if (write(fds[1], &value, sizeof value) != sizeof value) {
                        _exit(1);
                    }
                    _exit(0);
                }
                close(fds[1]);
                double value = -1e18;
                if (read(fds[0], &value, sizeof value) != sizeof value) {
                    value = -1e18;
                }
                close(fds[0]);
                waitpid(child, nullptr, 0);
                if (value > best_value) {
                    best_value = value;
                    best = first;
                }
            }
        }
        play(best, kChunk, run, true);
        beaten = beaten || run.beaten > 0;
        item_hit = item_hit || run.item_hits > 0;
        std::fprintf(stderr, "\rstep %d level %d lives %d score %d beaten %d   ", step_no,
                     world_state().level, lives_left(), score(), beaten ? 1 : 0);
    }
    std::fprintf(stderr, "\n");
    FILE* out = std::fopen(argv[1], "w");
    std::fprintf(out, "# Found by frostrun_search; the keys alone replay it.\ncost %u\nlimit %d\n",
                 kFrameCost, step_no + 10);
    for (const std::string& line : script) {
        std::fprintf(out, "%s\n", line.c_str());
    }
    std::fclose(out);
    return static_cast<char>(run.answer) == 'N' ? 0 : 1;
}

// One whole game of random input through the real game code on the virtual
// clock, checking the game's invariants after every frame and the heap
// after start-up:
//   frostrun_soak SEED MAX_FRAMES   (in a folder with the two images)
// q comes only at intro screens and at the frame chosen to end the game.
// Prints "soak: seed S frames F ..." on standard error; exit status 1 when
// an invariant breaks. tests/soak/soak.sh runs a sequence of these.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // the sanitizer's allocator
#endif

#include "replay/session.h"
#include "screens/bursts.h"
#include "screens/lives.h"
#include "screens/score_display.h"
#include "support/fake_platform.h"
#include "support/harness.h"
#include "world/opponent.h"
#include "world/world_state.h"
#include "world/world_tick.h"

namespace {

size_t heap_in_use()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

long frame = 0;

void fail_if(bool broken, const char* what)
{
    if (broken) {
        std::fprintf(stderr, "soak: frame %ld: %s\n", frame, what);
        std::exit(1);
    }
}

// The invariants a frame must leave behind.
void check(int lives_before, int level_before)
{
    const SDL_Rect& f = *session::figure();
    fail_if(f.x < 0 || f.x > 618 || f.y < 390 || f.y > 410, "figure off its ground");
    fail_if(lives_left() < 0 || lives_left() > lives_before, "lives out of range or gained");
    fail_if(progress_icons() < 0 || progress_icons() > 9, "progress column out of range");
    const BurstRecord* b = burst_slots();
    for (int i = 0; i < kBurstSlots; ++i) {
        fail_if(b[i].kind < 0 || b[i].kind > 1 || b[i].life < 0 || b[i].life > (b[i].kind ? 120 : 30) ||
                    b[i].right_next != 1 || (b[i].falling & ~1) != 0,
                "burst slot out of bounds");
    }
    const WorldState& w = world_state();
    fail_if(w.level < level_before || w.anim_tick < 0 || w.anim_tick > 5, "level or animation");
    fail_if(w.score_units < 0 || w.score_units > 9 || w.score_tens < 0 || w.score_tens > 9 ||
                w.score_hundreds < 0,
            "score digits");
    fail_if(w.item_count < 0 || w.item_count > 2 || opponent_state().cooldown < 0 || opponent_state().cooldown > 19,
            "items or turn-back cool-down");
    for (int i = 0; i < kFallingObjects; ++i) {
        const ObjectRecord& o = w.objects[i];
        fail_if(o.type < 0 || o.type > 2 || o.frame < 0 || o.frame > 7 || o.speed < 1 || o.speed > 4,
                "falling object record");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SEED MAX_FRAMES\n", argv[0]);
        return 2;
    }
    const unsigned seed = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    std::mt19937 random(seed);
    auto chance = [&](int one_in) { return random() % static_cast<unsigned>(one_in) == 0; };
    auto pick = [&](std::initializer_list<const char*> names) {
        return std::string(names.begin()[random() % names.size()]);
    };
    const long end = std::min(std::atol(argv[2]), 200 + static_cast<long>(random() % (chance(2) ? 3000 : 60000)));
    const Uint32 costs[] = {0, 3, 9, 10, 19, 20, 21, 35};
    const Uint32 cost = costs[random() % 8];
    // Some players jump a lot, which keeps them alive into later levels.
    const int key_rate = static_cast<int>(4 + random() % 40), jump_rate = chance(2) ? 25 : 0;

    harness::use_dummy_drivers();
    fake::Platform& fake = fake::platform();
    fake.page_flipping = chance(4);  // the game then draws on a surface of its own
    fake.clock_ms = chance(4) ? 0xFFFFFFFFu - static_cast<Uint32>(random() % 100000)
                                 : static_cast<Uint32>(random());
    auto any_key = [&] { return pick({"Right", "Left", "Up", "Space", "Down", "Shift", "a"}); };
    auto any_event = [&] {
        return chance(2) ? any_key() : pick({"-Right", "-Left", "-Space", "-q", "mouse", "click", "close"});
    };
    session::on_intro([&](int, int) { session::push(chance(3) ? std::string("q") : any_event()); });

    session::push("q", false);  // builds the driver's key table before the heap is measured
    session::step();            // start-up
    size_t heap_after_start = 0;
    int answer = 'Y';
    while (static_cast<char>(answer) == 'Y') {
        ++frame;
        fake.frame_cost_ms = cost + static_cast<Uint32>(random() % 3);
        if (chance(key_rate)) {
            session::push(any_key());
        }
        if (jump_rate != 0 && chance(jump_rate)) {
            session::push("Space");
        }
        if (chance(40)) {
            session::push(any_event());
        }
        const bool quit = frame == end;
        if (!quit && chance(5000)) {  // as many events as the queue holds
            for (int i = 0; i < 127; ++i) {
                session::push(any_event());
            }
        }
        if (quit) {
            session::push("q");
        }
        const int lives = lives_left(), level = world_state().level;
        answer = session::step();
        check(lives, level);
        fail_if(static_cast<char>(answer) == 'N' && !quit && lives_left() != 0, "ended with lives left");
        fail_if(quit && static_cast<char>(answer) != 'N', "q did not end the game");
        if (frame == 100) {
            heap_after_start = heap_in_use();
        }
        fail_if(frame > 100 && heap_in_use() > heap_after_start, "heap grew after start-up");
    }
    std::fprintf(stderr, "soak: seed %u frames %ld level %d lives %d score %d%d%d ended by %s\n", seed,
                 frame, world_state().level, lives_left(), world_state().score_hundreds,
                 world_state().score_tens, world_state().score_units, frame == end ? "q" : "last life");
    SDL_Quit();
    return 0;
}

// Which sound starts in which frame, seen through the platform seam, in a
// session the autopilot plays to level 3 on the real mixer (dummy driver),
// then leaves the figure standing until the game is over: every catch,
// throw, crash and level-up has its sound in its own frame, and none of
// those sounds comes without its event.
#include <unistd.h>

#include <algorithm>
#include <vector>

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "autopilot.h"
#include "base/sound.h"
#include "loop/game_loop.h"
#include "screens/lives.h"
#include "screens/score_display.h"
#include "support/harness.h"
#include "world/opponent.h"
#include "world/world_tick.h"

namespace {

constexpr int kBonus = 35;  // the snowman beaten
std::vector<int> started;   // the sounds of the current step

int score()
{
    const WorldState& w = world_state();
    return 100 * w.score_hundreds + 10 * w.score_tens + w.score_units;
}

long count_of(int first, int last)
{
    return std::count_if(started.begin(), started.end(),
                         [&](int sound) { return sound >= first && sound <= last; });
}

// Starts the game in the assets folder, recording every sound started.
void start_game()
{
    harness::use_dummy_drivers();
    ASSERT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);
    started.reserve(64);
    fake::platform().on_sound = [](int sound) { started.push_back(sound); };
    ASSERT_EQ(game_step(), 'Y');
    ASSERT_EQ(started, std::vector<int>{kSoundMusic});
    started.clear();
}

}  // namespace

TEST(Sound, EachEventsSoundStartsInTheFrameOfTheEvent)
{
    start_game();
    // Each intro is answered on its 12th pulse, after its call (the 8th).
    fake::platform().on_delay = [pulses = 0](Uint32 ms) mutable {
        if (ms == 100 && world_state().level_up_pending != 0 && ++pulses % 12 == 0) {
            autopilot::push_key(SDLK_q);
        }
    };
    autopilot::Pilot pilot;
    int catches = 0, throws = 0, crashes = 0, level_ups = 0;
    for (int answer = 'Y'; static_cast<char>(answer) == 'Y';) {
        const int score_before = score(), lives_before = lives_left();
        const int level_before = world_state().level;
        const int throwing_before = opponent_state().throwing;
        const bool piloted = level_before < 3;
        if (piloted) {
            pilot.before_frame();
        }
        answer = game_step();
        if (piloted) {
            pilot.after_frame();
        }
        const bool beaten = score() - score_before >= kBonus;
        const int caught = score() - score_before - (beaten ? kBonus : 0);
        const bool level_up = level_before != 0 && world_state().level > level_before;
        const bool crash = lives_left() < lives_before;
        const bool thrown = throwing_before == 0 && opponent_state().throwing != 0;
        SCOPED_TRACE("frame " + std::to_string(fake::platform().flips));
        EXPECT_EQ(count_of(kSoundSnowmanBeaten, kSoundSnowmanBeaten), beaten);
        EXPECT_EQ(count_of(kSoundLevelCompleted, kSoundLevelCompleted), level_up);
        EXPECT_EQ(count_of(kSoundLevelIntro, kSoundLevelIntro), level_up);
        EXPECT_EQ(count_of(kSoundLifeLost, kSoundLifeLost), crash && lives_left() > 0);
        EXPECT_EQ(count_of(kSoundLastLife, kSoundLastLife), crash && lives_left() == 0);
        EXPECT_EQ(count_of(kSoundThrow, kSoundThrow), thrown);
        EXPECT_EQ(count_of(kSoundMusic, kSoundMusic), 0);
        // The music rests only within a crash or an intro, and after the last life.
        EXPECT_EQ(Mix_Paused(0), lives_left() == 0);
        EXPECT_EQ(count_of(kSoundCatch, kSoundCatchLast), caught - level_up);
        if (caught == 1 && !level_up && !crash) {
            EXPECT_EQ(started, std::vector<int>{kSoundCatch + progress_icons() - 1});
        }
        catches += caught;
        throws += thrown;
        crashes += crash;
        level_ups += level_up;
        started.clear();
    }
    EXPECT_GT(catches, 18);
    EXPECT_GT(throws, 0);
    EXPECT_EQ(crashes, 3);
    EXPECT_EQ(level_ups, 2);
}

// The m key mutes and unmutes every channel and is no direction: after a
// jump it starts none.
TEST(Sound, TheMKeyTogglesSoundAndIsNoDirection)
{
    start_game();
    autopilot::push_key(SDLK_UP);  // a steering code, which a jump needs to go on
    game_step();
    autopilot::push_key(SDLK_SPACE);
    game_step();
    EXPECT_EQ(started, std::vector<int>{kSoundJump});
    for (int frame = 0; frame < 60; ++frame) {
        game_step();
    }
    started.clear();
    for (int volume : {0, MIX_MAX_VOLUME}) {
        autopilot::push_key(SDLK_m);
        game_step();
        EXPECT_EQ(Mix_Volume(0, -1), volume);
        EXPECT_EQ(Mix_Volume(7, -1), volume);
    }
    EXPECT_EQ(started, std::vector<int>{});
}

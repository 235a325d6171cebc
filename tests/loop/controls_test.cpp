// The close button and the gamepad, through the platform seam. Pause,
// focus and F11 are the pause replay's (tests/replay/runs.py pause).
#include <unistd.h>

#include <cstdlib>

#include <SDL_mixer.h>

#include <gtest/gtest.h>

#include "base/gamepad.h"
#include "base/input.h"
#include "loop/game_loop.h"
#include "screens/level_intro.h"
#include "screens/lives.h"
#include "support/harness.h"

namespace {

constexpr char kLayoutVariable[] = "SDL12COMPAT_USE_GAME_CONTROLLERS";

using harness::push;

// The key a pad event of `type` comes out as, SDLK_UNKNOWN when dropped.
SDLKey key_for(Uint8 type, Uint8 number, Sint16 value)
{
    SDL_Event event{};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) {
        event.jaxis = {type, 0, number, value};
    } else if (type == SDL_JOYHATMOTION) {
        event.jhat = {type, 0, number, static_cast<Uint8>(value)};
    } else {
        event.jbutton = {type, 0, number, 0};
    }
    SDL_PushEvent(&event);
    return next_input(&event) != 0 ? event.key.keysym.sym : SDLK_UNKNOWN;
}

}  // namespace

// Each mapping of both layouts, in order (the stick answers only on
// leaving its zone); Start is p, or q on an intro. On sdl12-compat the
// game asks for the controller layout unless the player chose otherwise.
TEST(Gamepad, EachLayoutGivesTheKeysItsPadStandsFor)
{
    harness::use_dummy_drivers();
    SDL_Init(SDL_INIT_VIDEO);
    constexpr Uint8 kDown = SDL_JOYBUTTONDOWN;
    constexpr Uint8 kHat = SDL_JOYHATMOTION;
    constexpr Uint8 kAxis = SDL_JOYAXISMOTION;
    constexpr SDLKey kNone = SDLK_UNKNOWN;
    constexpr SDLKey kStart = SDLK_F1;  // p, or q on an intro
    struct Case {
        Uint8 type;
        Uint8 number;
        Sint16 value;
        SDLKey key;
    };
    const Case classic[] = {
        {kDown, 0, 0, SDLK_SPACE}, {kDown, 6, 0, SDLK_q}, {kDown, 7, 0, kStart},
        {kDown, 4, 0, kNone}, {SDL_JOYBUTTONUP, 7, 0, kNone}, {kHat, 0, SDL_HAT_LEFT, SDLK_LEFT},
        {kHat, 0, SDL_HAT_RIGHTDOWN, SDLK_RIGHT}, {kHat, 0, SDL_HAT_DOWN, kNone},
        {kHat, 0, SDL_HAT_CENTERED, SDLK_UP}, {kAxis, 0, -8001, SDLK_LEFT},
        {kAxis, 0, -32768, kNone}, {kAxis, 0, 8000, SDLK_UP}, {kAxis, 0, 32767, SDLK_RIGHT},
        {kAxis, 1, -9000, SDLK_UP}, {kAxis, 1, 9000, kNone}, {kAxis, 2, -30000, kNone}};
    const Case controller[] = {
        {kDown, 3, 0, SDLK_SPACE}, {kDown, 4, 0, SDLK_q}, {kDown, 6, 0, kStart},
        {kDown, 7, 0, kNone}, {kDown, 11, 0, SDLK_UP}, {kDown, 12, 0, kNone},
        {kDown, 13, 0, SDLK_LEFT}, {SDL_JOYBUTTONUP, 13, 0, SDLK_UP}, {kDown, 14, 0, SDLK_RIGHT}};
    const struct {
        Uint8 patch;        // of the linked library 1.2.x
        const char* given;  // the layout variable as the player set it
        const Case* cases;
        std::size_t count;
    } layouts[] = {{15, nullptr, classic, std::size(classic)},
                   {68, nullptr, controller, std::size(controller)},
                   {68, "0", classic, 3}};
    for (const auto& layout : layouts) {
        unsetenv(kLayoutVariable);
        if (layout.given != nullptr) {
            setenv(kLayoutVariable, layout.given, 1);
        }
        fake::platform().linked = {1, 2, layout.patch};
        prepare_gamepad();
        for (const bool intro : {false, true}) {
            set_pad_on_intro(intro);
            for (std::size_t i = 0; i < layout.count; ++i) {
                const Case& c = layout.cases[i];
                const SDLKey start = intro ? SDLK_q : SDLK_p;
                EXPECT_EQ(key_for(c.type, c.number, c.value), c.key == kStart ? start : c.key)
                    << "1.2." << int(layout.patch) << " case " << i << " intro " << intro;
            }
        }
    }
    EXPECT_STREQ(std::getenv(kLayoutVariable), "0");
}

// The close button: on a level intro it ends the intro as q does; the
// crash sequence reads no events, so one made meanwhile waits for the next
// frame. (In play, the walk replay ends with one.)
TEST(CloseButton, EndsTheIntroAndWaitsOutTheCrashSequence)
{
    const harness::Surfaces s = harness::open_surfaces();
    SDL_Rect figure = {300, 410, 40, 65};
    fake::platform().on_delay = [](Uint32) { push(SDL_QUIT); };
    lives_event(s.screen, s.sprites, s.backdrop, kLivesCrash, &figure);
    fake::platform().on_delay = [](Uint32) { push(SDL_KEYDOWN); };  // should it pulse
    EXPECT_FALSE(close_requested());
    EXPECT_EQ(level_intro(s.screen, s.sprites, s.backdrop, 2), 8);
    EXPECT_TRUE(close_requested());
    EXPECT_EQ(fake::platform().delays, 12);  // the crash's, and no pulse of the intro
}

// The sound pauses with the game and goes on with it; m still mutes and
// unmutes it while paused.
TEST(Pause, TheSoundPausesWithTheGameAndMStillWorks)
{
    harness::use_dummy_drivers();
    ASSERT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);
    ASSERT_EQ(game_step(), 'Y');
    ASSERT_EQ(Mix_Paused(-1), 0);
    push(SDL_KEYDOWN, SDLK_p);
    game_step();
    EXPECT_GT(Mix_Paused(-1), 0);
    push(SDL_KEYDOWN, SDLK_m);
    game_step();
    EXPECT_EQ(Mix_Volume(0, -1), 0);
    push(SDL_KEYDOWN, SDLK_p);
    const int flips = fake::platform().flips;
    game_step();
    EXPECT_EQ(Mix_Paused(-1), 0);
    EXPECT_EQ(fake::platform().flips, flips);  // resumed; the next step plays
}

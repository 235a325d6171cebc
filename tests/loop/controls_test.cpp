// The close button and the gamepad, through the platform seam. Pause,
// focus and F11 are the pause replay's (tests/replay/runs.py pause).
#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "base/gamepad.h"
#include "base/input.h"
#include "loop/game_loop.h"
#include "screens/level_intro.h"
#include "screens/lives.h"
#include "support/harness.h"

namespace {

constexpr char kLayoutVariable[] = "SDL12COMPAT_USE_GAME_CONTROLLERS";

void push(Uint8 type)
{
    SDL_Event event{};
    event.type = type;
    SDL_PushEvent(&event);
}

// The key a pad event comes out as, SDLK_UNKNOWN when it is dropped.
SDLKey key_for(Uint8 type, Uint8 number, Sint16 value)
{
    SDL_Event event{};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) {
        event.jaxis.axis = number;
        event.jaxis.value = value;
    } else if (type == SDL_JOYHATMOTION) {
        event.jhat.hat = number;
        event.jhat.value = static_cast<Uint8>(value);
    } else {
        event.jbutton.button = number;
    }
    SDL_PushEvent(&event);
    SDL_Event out{};
    if (next_input(&out) == 0) {
        return SDLK_UNKNOWN;
    }
    EXPECT_EQ(out.type, SDL_KEYDOWN);
    return out.key.keysym.sym;
}

}  // namespace

// Each button, hat and stick mapping of both layouts, in order (the stick
// answers only on leaving a zone); Start is q while an intro waits. On
// sdl12-compat the game asks for the controller layout unless the player
// chose otherwise.
TEST(Gamepad, EachLayoutGivesTheKeysItsPadStandsFor)
{
    harness::use_dummy_drivers();
    SDL_Init(SDL_INIT_VIDEO);
    constexpr Uint8 kDown = SDL_JOYBUTTONDOWN;
    constexpr Uint8 kUp = SDL_JOYBUTTONUP;
    constexpr Uint8 kHat = SDL_JOYHATMOTION;
    constexpr Uint8 kAxis = SDL_JOYAXISMOTION;
    constexpr SDLKey kNone = SDLK_UNKNOWN;
    constexpr SDLKey kStartKey = SDLK_F1;  // stands for "p, or q on an intro"
    struct Case {
        Uint8 type;
        Uint8 number;
        Sint16 value;
        SDLKey key;
    };
    const Case classic[] = {
        {kDown, 0, 0, SDLK_SPACE}, {kDown, 3, 0, SDLK_SPACE},  {kDown, 4, 0, kNone},
        {kDown, 6, 0, SDLK_q},     {kDown, 7, 0, kStartKey},   {kUp, 7, 0, kNone},
        {kDown, 13, 0, kNone},     {kHat, 0, SDL_HAT_LEFT, SDLK_LEFT},
        {kHat, 0, SDL_HAT_RIGHTDOWN, SDLK_RIGHT},               {kHat, 0, SDL_HAT_DOWN, kNone},
        {kHat, 0, SDL_HAT_CENTERED, SDLK_UP},                   {kHat, 0, SDL_HAT_UP, SDLK_UP},
        {kAxis, 0, -8001, SDLK_LEFT}, {kAxis, 0, -32768, kNone}, {kAxis, 0, 8000, SDLK_UP},
        {kAxis, 0, -8000, kNone},  {kAxis, 0, 32767, SDLK_RIGHT}, {kAxis, 0, 0, SDLK_UP},
        {kAxis, 1, -9000, SDLK_UP}, {kAxis, 1, 9000, kNone},   {kAxis, 2, -30000, kNone}};
    const Case controller[] = {
        {kDown, 0, 0, SDLK_SPACE}, {kDown, 3, 0, SDLK_SPACE}, {kDown, 4, 0, SDLK_q},
        {kDown, 6, 0, kStartKey},  {kDown, 7, 0, kNone},      {kDown, 11, 0, SDLK_UP},
        {kDown, 12, 0, kNone},     {kDown, 13, 0, SDLK_LEFT}, {kUp, 13, 0, SDLK_UP},
        {kDown, 14, 0, SDLK_RIGHT}, {kUp, 14, 0, SDLK_UP},    {kUp, 0, 0, kNone}};
    const struct {
        SDL_version linked;
        const char* player_choice;  // the layout variable as the player set it
        const Case* cases;
        std::size_t count;
    } layouts[] = {{{1, 2, 15}, nullptr, classic, std::size(classic)},
                   {{1, 2, 68}, nullptr, controller, std::size(controller)},
                   {{1, 2, 68}, "0", classic, 7}};
    for (const auto& layout : layouts) {
        if (layout.player_choice == nullptr) {
            unsetenv(kLayoutVariable);
        } else {
            setenv(kLayoutVariable, layout.player_choice, 1);
        }
        fake::platform().linked = layout.linked;
        prepare_gamepad();
        for (const bool intro : {false, true}) {
            set_pad_on_intro(intro);
            for (std::size_t i = 0; i < layout.count; ++i) {
                const Case& c = layout.cases[i];
                const SDLKey start = intro ? SDLK_q : SDLK_p;
                EXPECT_EQ(key_for(c.type, c.number, c.value), c.key == kStartKey ? start : c.key)
                    << "1.2." << int(layout.linked.patch) << " case " << i << " intro " << intro;
            }
        }
    }
    EXPECT_STREQ(std::getenv(kLayoutVariable), "0");
}

// The close button ends the run at the end of the frame in which it is
// read, shown, whatever key follows it.
TEST(CloseButton, EndsThePlayFrameItIsReadInAfterPresentingIt)
{
    harness::use_dummy_drivers();
    ASSERT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);
    ASSERT_EQ(game_step(), 'Y');
    fake::press(SDLK_RIGHT);
    ASSERT_EQ(game_step(), 'Y');
    const int flips = fake::platform().flips;
    push(SDL_QUIT);
    fake::press(SDLK_LEFT);
    EXPECT_EQ(game_step(), 'N');
    EXPECT_EQ(fake::platform().flips, flips + 1);
}

// On a level intro it ends the intro as q does; the crash sequence reads
// no events, so one made meanwhile waits for the next frame.
TEST(CloseButton, EndsTheIntroAndWaitsOutTheCrashSequence)
{
    const harness::Surfaces s = harness::open_surfaces();
    SDL_Rect figure = {300, 410, 40, 65};
    fake::platform().on_delay = [](Uint32) { push(SDL_QUIT); };
    lives_event(s.screen, s.sprites, s.backdrop, kLivesCrash, &figure);
    fake::platform().on_delay = nullptr;
    EXPECT_FALSE(close_requested());
    EXPECT_EQ(level_intro(s.screen, s.sprites, s.backdrop, 2), 8);
    EXPECT_TRUE(close_requested());
    EXPECT_EQ(fake::platform().delays, 12);  // the crash's, and no pulse of the intro
}

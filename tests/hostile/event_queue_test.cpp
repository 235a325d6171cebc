#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

SDL_Event event_of(Uint8 type, SDLKey key = SDLK_UNKNOWN)
{
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.keysym.sym = key;
    return e;
}

}  // namespace

// A full queue of every kind of event in one frame: only key-downs count,
// the last one wins, and neither an earlier q nor a close request ends the
// game; a frame of releases, mouse events and close requests changes nothing.
TEST(EventQueue, FullQueueOnlyTheLastKeyDownCounts)
{
    harness::use_dummy_drivers();
    harness::enter_asset_dir();
    harness::StdoutCapture out;
    SDL_Surface* shown = nullptr;
    fake::platform().on_flip = [&](SDL_Surface* video) { shown = video; };
    ASSERT_EQ(harness::run_frames(2), 'Y');  // start-up, then the figure stands at 300
    const harness::Surfaces s = harness::game_images(shown);
    const SDL_Rect standing = {299, 5, 40, 65};

    const SDL_Event others[] = {event_of(SDL_KEYDOWN, SDLK_q), event_of(SDL_KEYUP, SDLK_RIGHT),
                                event_of(SDL_MOUSEMOTION), event_of(SDL_MOUSEBUTTONDOWN),
                                event_of(SDL_QUIT), event_of(SDL_KEYDOWN, SDLK_LEFT)};
    for (int i = 0; i < 126; ++i) {
        SDL_Event e = others[i % 6];
        ASSERT_EQ(SDL_PushEvent(&e), 0) << i;
    }
    SDL_Event right = event_of(SDL_KEYDOWN, SDLK_RIGHT);
    ASSERT_EQ(SDL_PushEvent(&right), 0);
    EXPECT_EQ(SDL_PushEvent(&right), -1) << "the queue holds 127 events";
    EXPECT_EQ(harness::run_frames(1), 'Y');
    EXPECT_TRUE(harness::shows_sprite(s, standing, 302, 410)) << "one step right";

    for (Uint8 type : {SDL_KEYUP, SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP, SDL_QUIT}) {
        SDL_Event e = event_of(type, SDLK_q);
        SDL_PushEvent(&e);
    }
    EXPECT_EQ(harness::run_frames(1), 'Y');
    EXPECT_TRUE(harness::shows_sprite(s, standing, 304, 410)) << "walks on right";
}

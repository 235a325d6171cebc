#include "base/input.h"

#include "base/demo_input.h"
#include "base/gamepad.h"
#include "base/platform.h"

namespace {

bool close_taken = false;

// The next event from the platform, or from the demo played back.
int take_event(SDL_Event* event)
{
    return playing_demo() ? next_demo_input(event) : platform::poll_event(event);
}

}  // namespace

int next_input(SDL_Event* event, InputWait wait)
{
    note_input_wait(wait);
    while (take_event(event) != 0) {
        if (event->type == SDL_QUIT) {
            close_taken = true;
        }
        if (translate_pad_event(event)) {
            record_input(*event);
            return 1;
        }
    }
    note_empty_read();
    return 0;
}

bool close_requested() { return close_taken; }

Uint8 window_state()
{
    if (playing_demo()) {
        return demo_window_state();
    }
    const Uint8 state = platform::app_state();
    record_window_state(state);
    return state;
}

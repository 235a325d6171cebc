#include "base/input.h"

#include "base/demo_input.h"
#include "base/platform.h"

int next_input(SDL_Event* event, InputWait wait)
{
    note_input_wait(wait);
    const int taken = playing_demo() ? next_demo_input(event) : platform::poll_event(event);
    if (taken == 0) {
        note_empty_read();
        return 0;
    }
    record_input(*event);
    return 1;
}

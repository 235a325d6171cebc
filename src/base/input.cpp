#include "base/input.h"

#include "base/gamepad.h"
#include "base/platform.h"

namespace {

bool close_taken = false;

}  // namespace

int next_input(SDL_Event* event)
{
    while (platform::poll_event(event) != 0) {
        if (event->type == SDL_QUIT) {
            close_taken = true;
        }
        if (translate_pad_event(event)) {
            return 1;
        }
    }
    return 0;
}

bool close_requested() { return close_taken; }

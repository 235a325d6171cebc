#include "base/keyboard.h"

namespace {

struct KeyMapping {
    SDLKey key;
    char code;
};

constexpr KeyMapping kKeyTable[] = {
    {SDLK_SPACE, kCodeJump},
    {SDLK_q, kCodeQuit},
    {SDLK_UP, kCodeStand},
    {SDLK_RIGHT, kCodeRight},
    {SDLK_LEFT, kCodeLeft},
};

constexpr KeyMapping kCommandTable[] = {
    {SDLK_p, kCodePause},
    {SDLK_F11, kCodeScreen},
};

// The last code the table produced, shared by the game loop and the level
// intro for the whole run.
char last_code = kCodeNone;

}  // namespace

int read_direction_key(const SDL_Event* event)
{
    for (const KeyMapping& mapping : kKeyTable) {
        if (mapping.key != event->key.keysym.sym) {
            continue;
        }
        // q answers the quit code but is not kept, so an unmapped key
        // pressed after it (or after a level intro) cannot end the game.
        if (mapping.code == kCodeQuit) {
            return kCodeQuit;
        }
        last_code = mapping.code;
        break;
    }
    return last_code;
}

int read_command_key(const SDL_Event* event)
{
    for (const KeyMapping& mapping : kCommandTable) {
        if (mapping.key == event->key.keysym.sym) {
            return mapping.code;
        }
    }
    return kCodeNone;
}

// The platform calls of the game as players run it: plain SDL.
#include "base/platform.h"

#include <cstdlib>

#include "base/score_file.h"

namespace platform {

namespace {
bool waits_skipped = false;
}  // namespace

int init(Uint32 flags) { return SDL_Init(flags); }

DesktopMode desktop_mode()
{
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr) {
        return {0, 0, 0};
    }
    return {info->current_w, info->current_h, info->vfmt->BitsPerPixel};
}

SDL_Surface* set_video_mode(int width, int height, int bpp, Uint32 flags)
{
    return SDL_SetVideoMode(width, height, bpp, flags);
}

Uint32 get_ticks() { return SDL_GetTicks(); }

void delay(Uint32 ms)
{
    if (!waits_skipped) {
        SDL_Delay(ms);
    }
}

void skip_waits() { waits_skipped = true; }

int poll_event(SDL_Event* event) { return SDL_PollEvent(event); }

int flip(SDL_Surface* video) { return SDL_Flip(video); }

Uint8 app_state() { return SDL_GetAppState(); }

bool open_joystick()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0 || SDL_NumJoysticks() < 1) {
        return false;
    }
    SDL_JoystickEventState(SDL_ENABLE);
    return SDL_JoystickOpen(0) != nullptr;
}

SDL_version linked_version() { return *SDL_Linked_Version(); }

int play_sound(int, int channel, Mix_Chunk* chunk, int loops)
{
    return Mix_PlayChannel(channel, chunk, loops);
}

std::time_t now() { return std::time(nullptr); }

std::string data_folder()
{
    return data_folder_from(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

}  // namespace platform

#include "support/fake_platform.h"

#include "base/platform.h"

namespace fake {

Platform& platform()
{
    static Platform instance;
    return instance;
}

}  // namespace fake

namespace platform {

int init(Uint32 flags)
{
    if (fake::platform().fail_init) {
        SDL_SetError("no video device (injected)");
        return -1;
    }
    return SDL_Init(flags);
}

DesktopMode desktop_mode() { return fake::platform().desktop; }

SDL_Surface* set_video_mode(int width, int height, int bpp, Uint32 flags)
{
    fake::Platform& fake = fake::platform();
    fake.video_size = {0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
    fake.video_bpp = bpp;
    fake.video_flags = flags;
    if (fake::platform().fail_video) {
        SDL_SetError("no such mode (injected)");
        return nullptr;
    }
    SDL_Surface* video = SDL_SetVideoMode(width, height, bpp, flags);
    if (video != nullptr && fake::platform().page_flipping) {
        // Pretend the driver gave two hardware buffers; our flip below
        // never hands the surface back to the dummy driver.
        video->flags |= SDL_HWSURFACE | SDL_DOUBLEBUF;
    }
    return video;
}

Uint32 get_ticks() { return fake::platform().clock_ms; }

void delay(Uint32 ms)
{
    fake::Platform& fake = fake::platform();
    fake.clock_ms += ms;
    fake.delays += 1;
    fake.waited_ms += ms;
    if (fake.on_delay) {
        fake.on_delay(ms);
    }
}

void skip_waits() {}  // the virtual clock's waits cost nothing anyway

// Active events change the window's state as SDL's own pump does.
int poll_event(SDL_Event* event)
{
    const int taken = SDL_PollEvent(event);
    if (taken != 0 && event->type == SDL_ACTIVEEVENT) {
        Uint8& state = fake::platform().app_state;
        state = static_cast<Uint8>(event->active.gain != 0 ? state | event->active.state
                                                           : state & ~event->active.state);
    }
    return taken;
}

int flip(SDL_Surface* video)
{
    fake::Platform& fake = fake::platform();
    fake.flips += 1;
    fake.clock_ms += fake.frame_cost_ms;
    if (fake.on_flip) {
        fake.on_flip(video);
    }
    return 0;
}

int play_sound(int sound, int channel, Mix_Chunk* chunk, int loops)
{
    if (fake::platform().on_sound) {
        fake::platform().on_sound(sound);
    }
    return Mix_PlayChannel(channel, chunk, loops);
}

std::time_t now() { return fake::platform().date; }

std::string data_folder() { return fake::platform().data_folder; }

}  // namespace platform

namespace platform {

Uint8 app_state() { return fake::platform().app_state; }

bool open_joystick() { return false; }  // pad events are pushed like keys

SDL_version linked_version() { return fake::platform().linked; }

}  // namespace platform

#include "loop/pause.h"

#include "base/input.h"
#include "base/keyboard.h"
#include "base/platform.h"
#include "base/sound.h"
#include "base/surfaces.h"
#include "loop/screen_switch.h"

namespace {

constexpr SDL_Rect kSign = {0, 216, 200, 48};  // the PAUSED sign in the sheet
constexpr Sint16 kSignX = (kScreenWidth - kSign.w) / 2;
constexpr Sint16 kSignY = (kScreenHeight - kSign.h) / 2;
constexpr Uint32 kWaitMs = 20;  // between two looks at the events: asleep, yet quick
constexpr Uint8 kWindowShown = SDL_APPACTIVE | SDL_APPINPUTFOCUS;

SDL_Surface* kept_picture = nullptr;
bool window_had_focus = false;  // a window that never had it has not lost it

// Halves every colour channel of a 16-bit screen: each channel's lowest
// bit is cleared, so that the shift moves no bit into its neighbour.
void dim(SDL_Surface* screen)
{
    const SDL_PixelFormat* format = screen->format;
    if (format->BytesPerPixel != 2) {
        return;
    }
    const Uint32 channels = format->Rmask | format->Gmask | format->Bmask;
    const Uint32 lowest = (1u << format->Rshift) | (1u << format->Gshift) | (1u << format->Bshift);
    const Uint16 keep = static_cast<Uint16>(channels & ~lowest);
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) {
        return;
    }
    for (int y = 0; y < screen->h; ++y) {
        Uint8* bytes = static_cast<Uint8*>(screen->pixels) + y * screen->pitch;
        Uint16* row = reinterpret_cast<Uint16*>(bytes);
        for (int x = 0; x < screen->w; ++x) {
            row[x] = static_cast<Uint16>((row[x] & keep) >> 1);
        }
    }
    if (SDL_MUSTLOCK(screen)) {
        SDL_UnlockSurface(screen);
    }
}

}  // namespace

void prepare_pause(SDL_Surface* screen)
{
    const SDL_PixelFormat* format = screen->format;
    kept_picture = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, format->BitsPerPixel,
                                        format->Rmask, format->Gmask, format->Bmask, format->Amask);
}

bool window_left()
{
    const bool shown = (window_state() & kWindowShown) == kWindowShown;
    window_had_focus = window_had_focus || shown;
    return window_had_focus && !shown;
}

void show_pause(SDL_Surface* screen, SDL_Surface* sprites)
{
    // Without the copy (no memory at start-up) the picture stays as it is.
    if (kept_picture != nullptr) {
        SDL_UpperBlit(screen, nullptr, kept_picture, nullptr);
        dim(screen);
        SDL_Rect sign = kSign;
        SDL_Rect place = {kSignX, kSignY, kSign.w, kSign.h};
        SDL_UpperBlit(sprites, &sign, screen, &place);
    }
    pause_sound();
    present_screen(screen);
}

char paused_step(SDL_Surface*& screen)
{
    SDL_Event event;
    bool resume = false;
    bool quit = false;
    while (next_input(&event, InputWait::kPause) != 0) {
        // A window uncovered again may show what its library kept from
        // before the pause (sdl12-compat): show the paused picture again.
        if (event.type == SDL_VIDEOEXPOSE) {
            present_screen(screen);
        }
        if (event.type != SDL_KEYDOWN || take_sound_key(&event)) {
            continue;
        }
        const int command = read_command_key(&event);
        if (command == kCodePause) {
            resume = true;
        } else if (command == kCodeScreen) {
            screen = switch_full_screen(screen);
            present_screen(screen);
        } else if (command == kCodeNone && event.key.keysym.sym == SDLK_q) {
            quit = true;
        }
    }
    if (quit || close_requested()) {
        return kReplyEnd;
    }
    if (resume) {
        if (kept_picture != nullptr) {
            SDL_UpperBlit(kept_picture, nullptr, screen, nullptr);
        }
        resume_sound();
        return kReplyResumed;
    }
    platform::delay(kWaitMs);
    return kReplyPaused;
}

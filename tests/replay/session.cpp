#include "replay/session.h"

#include <cstdlib>
#include <cstring>
#include <map>

#include "loop/game_loop.h"
#include "support/fake_platform.h"
#include "support/harness.h"
#include "world/world_state.h"
#include "world/world_tick.h"

// The drivers are linked with --wrap=SDL_UpperBlit, so the game's blits
// pass through here: the figure is the one thing copied from a 40 x 65
// cell of the sheet, and its destination is the figure's own rectangle.
extern "C" int __real_SDL_UpperBlit(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);

namespace {
const SDL_Rect* figure_rect = nullptr;
int level_before_step = 0;
int intros = 0;
int pulses = 0;
}  // namespace

extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* from, SDL_Surface* dst, SDL_Rect* to)
{
    if (from != nullptr && from->w == 40 && from->h == 65) {
        figure_rect = to;
    }
    return __real_SDL_UpperBlit(src, from, dst, to);
}

namespace session {

bool push(const std::string& event, bool queue)
{
    static const std::map<std::string, SDLKey> keys = {
        {"Right", SDLK_RIGHT}, {"Left", SDLK_LEFT}, {"Up", SDLK_UP},     {"Down", SDLK_DOWN},
        {"Space", SDLK_SPACE}, {"q", SDLK_q},       {"Shift", SDLK_LSHIFT}, {"a", SDLK_a}};
    const size_t star = event.find('*');
    const int count = star == std::string::npos ? 1 : std::atoi(event.c_str() + star + 1);
    std::string name = event.substr(0, star);
    SDL_Event e{};
    if (name == "mouse") {
        e.type = SDL_MOUSEMOTION;
        e.motion = {SDL_MOUSEMOTION, 0, 0, 320, 240, 5, -3};
    } else if (name == "click") {
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button = {SDL_MOUSEBUTTONDOWN, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 100, 100};
    } else if (name == "close") {
        e.type = SDL_QUIT;
    } else {
        const bool release = !name.empty() && name[0] == '-';
        const auto key = keys.find(release ? name.substr(1) : name);
        if (key == keys.end()) {
            return false;
        }
        e.type = release ? SDL_KEYUP : SDL_KEYDOWN;
        e.key.type = e.type;
        e.key.state = release ? SDL_RELEASED : SDL_PRESSED;
        e.key.keysym.sym = key->second;
    }
    for (int i = 0; queue && i < count; ++i) {
        SDL_PushEvent(&e);
    }
    return true;
}

const SDL_Rect* figure() { return figure_rect; }

// The intro raises the level before it waits, and a crash never does: a
// 100 ms wait in a step that raised the level is an intro's pulse.
void on_intro(std::function<void(int intro, int pulse)> answer)
{
    fake::platform().on_delay = [answer](Uint32 ms) {
        static int intro_level = 0;
        const int level = world_state().level;
        if (ms != 100 || level == level_before_step) {
            return;
        }
        if (level != intro_level) {
            intro_level = level;
            intros += 1;
            pulses = 0;
        }
        answer(intros, ++pulses);
    };
}

int step()
{
    level_before_step = world_state().level;
    return game_step();
}

bool unscale(SDL_Surface* window, int factor, SDL_Surface* picture)
{
    const auto row = [](SDL_Surface* surface, int y) {
        return reinterpret_cast<Uint16*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    };
    const size_t row_bytes = sizeof(Uint16) * static_cast<size_t>(picture->w * factor);
    for (int y = 0; y < picture->h; ++y) {
        const Uint16* first = row(window, y * factor);
        for (int copy = 1; copy < factor; ++copy) {
            if (std::memcmp(row(window, y * factor + copy), first, row_bytes) != 0) {
                return false;
            }
        }
        for (int x = 0; x < picture->w; ++x) {
            for (int copy = 1; copy < factor; ++copy) {
                if (first[x * factor + copy] != first[x * factor]) {
                    return false;
                }
            }
            row(picture, y)[x] = first[x * factor];
        }
    }
    return true;
}

unsigned long long picture_hash(SDL_Surface* surface)
{
    unsigned long long hash = 14695981039346656037ull;
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        const int words = surface->w * surface->format->BytesPerPixel / 4;
        for (int i = 0; i < words; ++i) {
            Uint32 word;
            std::memcpy(&word, row + 4 * i, 4);
            hash = (hash ^ word) * 1099511628211ull;
        }
    }
    SDL_UnlockSurface(surface);
    return hash;
}

}  // namespace session

#include "replay/session.h"

#include <cstdlib>
#include <map>

#include "loop/game_loop.h"
#include "support/fake_platform.h"
#include "support/harness.h"
#include "world/world_state.h"
#include "world/world_tick.h"

// The drivers are linked with --wrap=SDL_UpperBlit, so the game's blits
// pass through here: the figure is the one thing copied from a 40 x 65
// cell of the sheet, and its destination is the figure's own rectangle; a
// particle is the sheet's pixel (0, 0).
extern "C" int __real_SDL_UpperBlit(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);

namespace {
const SDL_Rect* figure_rect = nullptr;
long particles_blitted = 0;
int level_before_step = 0;
int intros = 0;
int pulses = 0;
}  // namespace

extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* from, SDL_Surface* dst,
                                    SDL_Rect* to)
{
    constexpr SDL_Rect kParticle = {0, 0, 1, 1};
    constexpr Uint16 kFigureWidth = 40;
    constexpr Uint16 kFigureHeight = 65;
    if (from != nullptr && from->w == kFigureWidth && from->h == kFigureHeight) {
        figure_rect = to;
    }
    if (from != nullptr && from->x == kParticle.x && from->y == kParticle.y &&
        from->w == kParticle.w && from->h == kParticle.h) {
        particles_blitted += 1;
    }
    return __real_SDL_UpperBlit(src, from, dst, to);
}

namespace session {

bool push(const std::string& event, bool queue)
{
    static const std::map<std::string, SDLKey> keys = {
        {"Right", SDLK_RIGHT}, {"Left", SDLK_LEFT}, {"Up", SDLK_UP},     {"Down", SDLK_DOWN},
        {"Space", SDLK_SPACE}, {"q", SDLK_q},       {"Shift", SDLK_LSHIFT}, {"a", SDLK_a},
        {"p", SDLK_p},         {"F11", SDLK_F11},   {"m", SDLK_m}};
    static const std::map<std::string, SDL_ActiveEvent> active = {
        {"blur", {SDL_ACTIVEEVENT, 0, SDL_APPINPUTFOCUS}},
        {"focus", {SDL_ACTIVEEVENT, 1, SDL_APPINPUTFOCUS}},
        {"iconify", {SDL_ACTIVEEVENT, 0, SDL_APPACTIVE}},
        {"restore", {SDL_ACTIVEEVENT, 1, SDL_APPACTIVE}},
        {"mouse-out", {SDL_ACTIVEEVENT, 0, SDL_APPMOUSEFOCUS}}};
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
    } else if (active.count(name) != 0) {
        e.active = active.at(name);
    } else if (name.rfind("button", 0) == 0 || name.rfind("-button", 0) == 0) {
        e.type = name[0] == '-' ? SDL_JOYBUTTONUP : SDL_JOYBUTTONDOWN;
        const int number = std::atoi(name.c_str() + name.find('n') + 1);
        e.jbutton = {e.type, 0, static_cast<Uint8>(number), SDL_PRESSED};
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

long particle_blits() { return particles_blitted; }

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

}  // namespace session

#include "base/gamepad.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

#include "base/platform.h"

namespace {

// What a pad button does when pressed. The d-pad's left and right also
// stand for up (stand still) when released: back to the centre.
enum class Pad { kNone, kJump, kBack, kStart, kUp, kDown, kLeft, kRight };

// Classic SDL 1.2 and sdl12-compat without the controller layout: the
// common pad's joystick numbering (face 0-3, Back 6, Start 7; the d-pad is
// hat 0).
constexpr Pad kJoystickButtons[] = {Pad::kJump, Pad::kJump, Pad::kJump, Pad::kJump,
                                    Pad::kNone, Pad::kNone, Pad::kBack, Pad::kStart};

// sdl12-compat with SDL12COMPAT_USE_GAME_CONTROLLERS=1: SDL2's controller
// buttons (face 0-3, Back 4, Start 6, d-pad up, down, left, right 11-14).
constexpr Pad kControllerButtons[] = {
    Pad::kJump, Pad::kJump, Pad::kJump, Pad::kJump, Pad::kBack, Pad::kNone, Pad::kStart,
    Pad::kNone, Pad::kNone, Pad::kNone, Pad::kNone, Pad::kUp,   Pad::kDown, Pad::kLeft,
    Pad::kRight};

constexpr char kLayoutVariable[] = "SDL12COMPAT_USE_GAME_CONTROLLERS";
constexpr Uint8 kFirstCompatPatch = 50;  // sdl12-compat reports 1.2.50 and later
constexpr Sint16 kDeadZone = 8000;       // of the stick's 32767 each way
constexpr Uint8 kStickX = 0;
constexpr Uint8 kStickY = 1;

const Pad* buttons = kJoystickButtons;
std::size_t button_count = std::size(kJoystickButtons);
bool on_intro = false;
int stick_x_zone = 0;  // -1 left or up, 0 centre, 1 right or down
int stick_y_zone = 0;

// The stick's zone for one axis value: the dead zone around the centre is 0.
int zone_of(Sint16 value)
{
    if (value < -kDeadZone) {
        return -1;
    }
    return value > kDeadZone ? 1 : 0;
}

// The key a pressed pad button stands for; SDLK_UNKNOWN for none.
SDLKey key_of(Pad pad)
{
    switch (pad) {
    case Pad::kJump:
        return SDLK_SPACE;
    case Pad::kBack:
        return SDLK_q;
    case Pad::kStart:
        return on_intro ? SDLK_q : SDLK_p;
    case Pad::kUp:
        return SDLK_UP;
    case Pad::kLeft:
        return SDLK_LEFT;
    case Pad::kRight:
        return SDLK_RIGHT;
    default:
        return SDLK_UNKNOWN;
    }
}

// The pad button's meaning in the table in use.
Pad button(Uint8 number)
{
    return number < button_count ? buttons[number] : Pad::kNone;
}

// The key a pad event stands for; SDLK_UNKNOWN for none.
SDLKey key_for(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_JOYBUTTONDOWN:
        return key_of(button(event.jbutton.button));
    case SDL_JOYBUTTONUP: {
        const Pad released = button(event.jbutton.button);
        return released == Pad::kLeft || released == Pad::kRight ? SDLK_UP : SDLK_UNKNOWN;
    }
    case SDL_JOYHATMOTION:
        if ((event.jhat.value & SDL_HAT_LEFT) != 0) {
            return SDLK_LEFT;
        }
        if ((event.jhat.value & SDL_HAT_RIGHT) != 0) {
            return SDLK_RIGHT;
        }
        return event.jhat.value == SDL_HAT_DOWN ? SDLK_UNKNOWN : SDLK_UP;
    case SDL_JOYAXISMOTION: {
        const int zone = zone_of(event.jaxis.value);
        if (event.jaxis.axis == kStickX && zone != stick_x_zone) {
            stick_x_zone = zone;
            return zone < 0 ? SDLK_LEFT : (zone > 0 ? SDLK_RIGHT : SDLK_UP);
        }
        if (event.jaxis.axis == kStickY && zone != stick_y_zone) {
            stick_y_zone = zone;
            return zone < 0 ? SDLK_UP : SDLK_UNKNOWN;
        }
        return SDLK_UNKNOWN;
    }
    default:
        return SDLK_UNKNOWN;
    }
}

bool is_pad_event(Uint8 type)
{
    return type == SDL_JOYAXISMOTION || type == SDL_JOYBALLMOTION || type == SDL_JOYHATMOTION ||
           type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP;
}

}  // namespace

void prepare_gamepad()
{
    const SDL_version version = platform::linked_version();
    const bool over_sdl2 = version.major == 1 && version.minor == 2 &&
                           version.patch >= kFirstCompatPatch;
    if (over_sdl2) {
        setenv(kLayoutVariable, "1", 0);  // a value the player set stays
    }
    const char* layout = std::getenv(kLayoutVariable);
    const bool controller = over_sdl2 && layout != nullptr && std::strcmp(layout, "1") == 0;
    buttons = controller ? kControllerButtons : kJoystickButtons;
    button_count = controller ? std::size(kControllerButtons) : std::size(kJoystickButtons);
}

void open_gamepad() { platform::open_joystick(); }

void set_pad_on_intro(bool intro) { on_intro = intro; }

bool translate_pad_event(SDL_Event* event)
{
    if (!is_pad_event(event->type)) {
        return true;
    }
    const SDLKey key = key_for(*event);
    if (key == SDLK_UNKNOWN) {
        return false;
    }
    *event = SDL_Event{};
    event->type = SDL_KEYDOWN;
    event->key.type = SDL_KEYDOWN;
    event->key.state = SDL_PRESSED;
    event->key.keysym.sym = key;
    return true;
}

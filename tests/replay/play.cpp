// The one driver of whole games: the real game code, headless on the
// virtual clock, fed with scripted or random events (run in a folder with
// the two images; standard output is the game's own). Its script lines,
// events, options and statuses: docs/testing.md, "The whole-game driver".
//   frostrun_play SCRIPT [--steps N] [--trace FILE] [--dump FLIP FILE.bmp]
//                 [--page-flipping] [--plain] [--scale N | --desktop WxHxD]
//                 [--record DEMO]
//   frostrun_play --random SEED FRAMES
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/demo_input.h"
#include "base/input.h"
#include "loop/game_loop.h"
#include "screens/bursts.h"
#include "screens/lives.h"
#include "screens/score_display.h"
#include "support/fake_platform.h"
#include "support/harness.h"
#include "world/world_state.h"
#include "world/world_tick.h"

extern "C" int __real_SDL_UpperBlit(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);

namespace {

const SDL_Rect* figure_rect = nullptr;  // the figure's rectangle, as the game drew it last
long particles_blitted = 0;
int level_before_step = 0;
int intros = 0;
int pulses = 0;
bool plain = false;  // --plain

template <typename Function>
Function real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

Uint8* window_at(SDL_Surface* window, int x, int y)
{
    return static_cast<Uint8*>(window->pixels) + y * window->pitch +
           x * window->format->BytesPerPixel;
}

// The 16-bit (5-6-5) value of a window pixel: the top bits of each channel.
Uint16 as_565(const SDL_PixelFormat& format, Uint32 value)
{
    const Uint32 r = ((value & format.Rmask) >> format.Rshift) << format.Rloss;
    const Uint32 g = ((value & format.Gmask) >> format.Gshift) << format.Gloss;
    const Uint32 b = ((value & format.Bmask) >> format.Bshift) << format.Bloss;
    return static_cast<Uint16>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}

// Whether `bytes` bytes from `at` are all zero (black).
bool black(const Uint8* at, size_t bytes)
{
    return std::all_of(at, at + bytes, [](Uint8 byte) { return byte == 0; });
}

// Takes a window that shows the picture sharply scaled back to the 16-bit
// picture: the largest whole factor that fits, centred. True when each
// block of the window holds one value, whose top bits are one picture
// pixel, and all around the picture is black.
bool unscale(SDL_Surface* window, SDL_Surface* picture)
{
    const int factor = std::min(window->w / picture->w, window->h / picture->h);
    const int left = (window->w - picture->w * factor) / 2;
    const int top = (window->h - picture->h * factor) / 2;
    const int bytes = window->format->BytesPerPixel;
    const size_t row_bytes = static_cast<size_t>(window->w) * bytes;
    const size_t left_bytes = static_cast<size_t>(left) * bytes;
    const size_t picture_bytes = static_cast<size_t>(picture->w) * factor * bytes;
    for (int y = 0; y < window->h; ++y) {
        const int py = (y - top) / factor;
        if (y < top || py >= picture->h) {
            if (!black(window_at(window, 0, y), row_bytes)) {
                return false;
            }
            continue;
        }
        const Uint8* block_top = window_at(window, left, top + py * factor);
        const Uint8* row = window_at(window, left, y);
        const size_t right_bytes = row_bytes - left_bytes - picture_bytes;
        if (!black(window_at(window, 0, y), left_bytes) ||
            !black(row + picture_bytes, right_bytes) ||
            std::memcmp(row, block_top, picture_bytes) != 0) {
            return false;
        }
        if (y != top + py * factor) {
            continue;  // the same as the block's top row
        }
        Uint16* out = reinterpret_cast<Uint16*>(static_cast<Uint8*>(picture->pixels) +
                                                py * picture->pitch);
        for (int px = 0; px < picture->w; ++px) {
            const Uint8* block = block_top + px * factor * bytes;
            for (int copy = 1; copy < factor; ++copy) {
                if (std::memcmp(block, block + copy * bytes, bytes) != 0) {
                    return false;
                }
            }
            Uint32 value = 0;
            std::memcpy(&value, block, bytes);  // a little-endian machine's pixel
            out[px] = as_565(*window->format, value);
        }
    }
    return true;
}

}  // namespace

// The driver is linked with --wrap=SDL_UpperBlit, so the game's blits
// pass through here: the figure is the one thing copied from a 40 x 65
// cell of the sheet, and its destination is the figure's own rectangle; a
// particle is the sheet's pixel (0, 0).
extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* src, SDL_Rect* from, SDL_Surface* dst,
                                    SDL_Rect* to)
{
    if (from != nullptr && from->w == 40 && from->h == 65) {
        figure_rect = to;
    }
    if (from != nullptr && from->x == 0 && from->y == 0 && from->w == 1 && from->h == 1) {
        particles_blitted += 1;
    }
    return __real_SDL_UpperBlit(src, from, dst, to);
}

// Stands in for SDL's own: with --plain the backdrop is "converted" into a
// copy in its own format, so every erase converts as a plain game would.
extern "C" SDL_Surface* SDL_ConvertSurface(SDL_Surface* surface, SDL_PixelFormat* format,
                                           Uint32 flags)
{
    using Convert = SDL_Surface* (*)(SDL_Surface*, SDL_PixelFormat*, Uint32);
    static const auto convert = real<Convert>("SDL_ConvertSurface");
    return convert(surface, plain ? surface->format : format, flags);
}

// Stands in for SDL's own: with --plain a keyed surface without an alpha
// channel also gets per-surface alpha at opaque, which SDL blits exactly as
// before but which makes the bursts blit every particle.
extern "C" int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key)
{
    using SetKey = int (*)(SDL_Surface*, Uint32, Uint32);
    static const auto set_key = real<SetKey>("SDL_SetColorKey");
    const int result = set_key(surface, flag, key);
    if (plain && surface->format->Amask == 0) {
        SDL_SetAlpha(surface, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    }
    return result;
}

namespace {

// Puts one event into SDL's queue (names: docs/testing.md); false for a
// name it does not know; with `queue` false it only checks the name.
bool push(const std::string& event, bool queue = true)
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

// Calls `answer` at every pulse of a level intro with the number of the
// intro in this run and of the pulse in it (1, 2, ...), to push keys.
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

// Runs one step of the game; answers what game_step answers.
int play_step()
{
    level_before_step = world_state().level;
    return game_step();
}

long frame = 0;

void fail_if(bool broken, const char* what)
{
    if (broken) {
        std::fprintf(stderr, "soak: frame %ld: %s\n", frame, what);
        std::exit(1);
    }
}

// The invariants every frame leaves behind, read through the accessors.
void check_frame(int lives_before, int level_before)
{
    constexpr int kRightmostX = 618;    // the figure's x where it stops at the right edge
    constexpr int kHighestY = 390;      // the top of a jump
    constexpr int kGroundY = 410;       // standing
    constexpr int kMaxIcons = 9;        // the tenth catch ends the level instead
    constexpr int kPuffLife = 30;       // ticks a puff lasts
    constexpr int kFountainLife = 120;  // and a fountain
    const SDL_Rect& figure = *figure_rect;
    fail_if(figure.x < 0 || figure.x > kRightmostX, "figure beyond the screen's edges");
    fail_if(figure.y < kHighestY || figure.y > kGroundY, "figure off its ground");
    fail_if(lives_left() < 0 || lives_left() > lives_before, "lives out of range or gained");
    fail_if(progress_icons() < 0 || progress_icons() > kMaxIcons, "progress column out of range");
    fail_if(world_state().level < level_before, "level fell");
    for (int i = 0; i < kBurstSlots; ++i) {
        const BurstRecord& slot = burst_slots()[i];
        fail_if(slot.kind != 0 && slot.kind != 1, "burst of no kind");
        fail_if(slot.life < 0 || slot.life > (slot.kind == 1 ? kFountainLife : kPuffLife),
                "burst longer than its kind");
    }
}

// One game of random input; q comes only at intros and at the frame chosen
// to end it, a close request (which ends it too) rarely anywhere. Reports
// on standard error; status 1 when an invariant breaks.
int soak(unsigned seed, long max_frames)
{
    std::mt19937 random(seed);
    auto chance = [&](unsigned one_in) { return random() % one_in == 0; };
    auto pick = [&](std::initializer_list<const char*> names) {
        return std::string(names.begin()[random() % names.size()]);
    };
    // Most games end with the last life; some are cut short by q.
    const long quit_frame = 200 + static_cast<long>(random() % (chance(2) ? 3000 : 60000));
    const long end = std::min(max_frames, quit_frame);
    // Frame costs around the 20 ms pacing threshold.
    const Uint32 costs[] = {0, 3, 9, 10, 19, 20, 21, 35};
    const Uint32 cost = costs[random() % std::size(costs)];
    // Some players jump a lot, which keeps them alive into later levels.
    const unsigned key_rate = 4 + static_cast<unsigned>(random() % 40);
    const unsigned jump_rate = chance(2) ? 25 : 0;
    fake::Platform& fake = fake::platform();
    fake.page_flipping = chance(4);
    // A quarter of the games start within 100 s of the 32-bit clock's wrap.
    const Uint32 near_wrap = 0xFFFFFFFFu - static_cast<Uint32>(random() % 100000);
    fake.clock_ms = chance(4) ? near_wrap : static_cast<Uint32>(random());
    auto any_key = [&] { return pick({"Right", "Left", "Up", "Space", "Down", "Shift", "a"}); };
    auto any_event = [&] {
        if (chance(2)) {
            return any_key();
        }
        return pick({"-Right", "-Left", "-Space", "-q", "mouse", "click"});
    };
    on_intro([&](int, int) { push(chance(3) ? std::string("q") : any_event()); });

    play_step();  // start-up
    int answer = 'Y';
    while (static_cast<char>(answer) == 'Y') {
        ++frame;
        fake.frame_cost_ms = cost + static_cast<Uint32>(random() % 3);
        if (chance(key_rate)) {
            push(any_key());
        }
        if (jump_rate != 0 && chance(jump_rate)) {
            push("Space");
        }
        if (chance(40)) {
            push(any_event());
        }
        const bool closing = chance(8000);  // the close button ends the game too
        if (closing) {
            push("close");
        }
        const bool quit = frame == end;
        // Now and then more events than any queue holds in one frame.
        constexpr int kFloodEvents = 300;
        const bool flood = !quit && chance(5000);
        for (int i = 0; flood && i < kFloodEvents; ++i) {
            push(any_event());
        }
        if (quit) {
            push("q");
        }
        const int lives = lives_left();
        const int level = world_state().level;
        answer = play_step();
        check_frame(lives, level);
        const bool ended = static_cast<char>(answer) == 'N';
        fail_if(ended && !quit && !close_requested() && lives_left() != 0, "ended with lives left");
        fail_if((quit || closing) && !ended, "q or the close button did not end the game");
    }
    std::fprintf(stderr, "soak: seed %u frames %ld level %d lives %d ended by %s\n", seed, frame,
                 world_state().level, lives_left(),
                 frame == end ? "q" : (close_requested() ? "close" : "last life"));
    return 0;
}

// Events per step and per intro pulse, as a script lists them.
struct Script {
    std::map<int, std::vector<std::string>> at_step;
    std::map<int, std::vector<std::string>> at_intro;
    Uint32 limit = 100000;
};

// Reads a script; a file that cannot be read, holds no line to play or
// names an unknown event is refused with a message naming it.
bool read_script(const char* path, Script& script)
{
    fake::Platform& fake = fake::platform();
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "%s: cannot read it: %s\n", path, std::strerror(errno));
        return false;
    }
    bool played = false;
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string head;
        if (!(words >> head)) {
            continue;
        }
        played = true;
        Uint32* setting = head == "cost"    ? &fake.frame_cost_ms
                          : head == "clock" ? &fake.clock_ms
                          : head == "limit" ? &script.limit
                                            : nullptr;
        if (setting != nullptr) {
            words >> *setting;
            continue;
        }
        std::vector<std::string>* events = &script.at_step[std::atoi(head.c_str())];
        if (head == "intro") {
            words >> head;
            events = &script.at_intro[std::atoi(head.c_str())];
        }
        for (std::string event; words >> event;) {
            if (!push(event, false)) {
                std::fprintf(stderr, "%s: unknown event '%s'\n", path, event.c_str());
                return false;
            }
            events->push_back(event);
        }
    }
    if (!played) {
        std::fprintf(stderr, "%s: no line to play\n", path);
    }
    return played;
}

}  // namespace

int main(int argc, char** argv)
{
    harness::use_dummy_drivers();
    if (argc == 4 && std::string(argv[1]) == "--random") {
        return soak(static_cast<unsigned>(std::atol(argv[2])), std::atol(argv[3]));
    }
    Script script;
    if (argc < 2) {
        std::fprintf(stderr, "usage: see the head of tests/replay/play.cpp\n");
        return 2;
    }
    if (!read_script(argv[1], script)) {
        return 2;
    }
    FILE* trace = nullptr;
    long dump_flip = -1;
    const char* dump_file = nullptr;
    int steps = -1;  // until the game ends
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--trace" && i + 1 < argc) {
            trace = std::fopen(argv[++i], "w");
        } else if (option == "--dump" && i + 2 < argc) {
            dump_flip = std::atol(argv[++i]);
            dump_file = argv[++i];
        } else if (option == "--steps" && i + 1 < argc) {
            steps = std::atoi(argv[++i]);
        } else if (option == "--page-flipping") {
            fake::platform().page_flipping = true;
        } else if (option == "--plain") {
            plain = true;
        } else if (option == "--record" && i + 1 < argc) {
            start_recording(argv[++i]);
        } else if (option == "--scale" && i + 1 < argc) {
            set_window_options(std::atoi(argv[++i]), false);
        } else if (option == "--desktop" && i + 1 < argc) {
            platform::DesktopMode& desktop = fake::platform().desktop;
            std::sscanf(argv[++i], "%dx%dx%d", &desktop.width, &desktop.height,
                        &desktop.bits_per_pixel);
            set_window_options(1, true);
        }
    }
    // The picture as the game draws it, 640 x 480 in 16 bits.
    SDL_Surface* unscaled =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 16, 0xF800, 0x07E0, 0x001F, 0);

    int step = 0;
    long flips = 0;
    fake::platform().on_flip = [&](SDL_Surface* video) {
        ++flips;
        if (flips == dump_flip) {
            SDL_SaveBMP(video, dump_file);
        }
        const bool scaled = video->w != unscaled->w || video->h != unscaled->h;
        if (scaled && !unscale(video, unscaled)) {
            std::fprintf(stderr, "picture %ld is not the game's, sharply scaled\n", flips);
            std::exit(4);
        }
        if (trace != nullptr) {
            SDL_Surface* picture = scaled ? unscaled : video;
            std::fprintf(trace, "%d %016llx\n", step, harness::picture_hash(picture));
        }
    };
    on_intro([&](int intro, int pulse) {
        const std::vector<std::string>& events = script.at_intro[intro];
        const bool scripted = pulse <= static_cast<int>(events.size());
        push(scripted ? events[pulse - 1] : "q");
    });

    int answer = 'Y';
    while (static_cast<char>(answer) == 'Y' && step != steps) {
        if (static_cast<Uint32>(++step) > script.limit) {
            std::fprintf(stderr, "still playing after %u steps\n", script.limit);
            return 3;
        }
        for (const std::string& event : script.at_step[step]) {
            push(event);
        }
        answer = play_step();
    }
    finish_recording();
    if (trace != nullptr) {
        std::fprintf(trace, "end %d\n", step);
        if (plain) {
            std::fprintf(trace, "blits %ld\n", particles_blitted);
        }
        std::fclose(trace);
    }
    SDL_FreeSurface(unscaled);
    SDL_Quit();
    return answer == 0 ? 1 : 0;
}

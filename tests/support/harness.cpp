#include "support/harness.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "loop/game_loop.h"

namespace harness {

void use_dummy_drivers()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

void enter_asset_dir()
{
    if (chdir(FROSTRUN_ASSET_DIR) != 0) {
        std::perror(FROSTRUN_ASSET_DIR);
        std::abort();
    }
}

// Kept for the whole test run, like the game's own surfaces.
Surfaces opened{};

Surfaces game_images(SDL_Surface* screen)
{
    Surfaces& s = opened;
    s.screen = screen;
    s.backdrop = IMG_Load(FROSTRUN_ASSET_DIR "/background.png");
    s.sprites = IMG_Load(FROSTRUN_ASSET_DIR "/sprites.png");
    if (s.screen == nullptr || s.backdrop == nullptr || s.sprites == nullptr) {
        std::fprintf(stderr, "test surfaces: %s\n", SDL_GetError());
        std::abort();
    }
    SDL_SetColorKey(s.sprites, SDL_SRCCOLORKEY, 0);
    return s;
}

Surfaces open_surfaces()
{
    use_dummy_drivers();
    SDL_Init(SDL_INIT_VIDEO);
    const Surfaces s = game_images(SDL_SetVideoMode(640, 480, 16, SDL_SWSURFACE));
    SDL_UpperBlit(s.backdrop, nullptr, s.screen, nullptr);
    return s;
}

void press(SDLKey key) { fake::press(key); }

int run_frames(int frames)
{
    int answer = 'Y';
    for (int step = 0; step < frames && static_cast<char>(answer) == 'Y'; ++step) {
        answer = game_step();
    }
    return answer;
}

StdoutCapture::StdoutCapture()
{
    char name[] = "/tmp/frostrun-stdout-XXXXXX";
    const int fd = mkstemp(name);
    path_ = name;
    std::fflush(stdout);
    saved_fd_ = dup(1);
    dup2(fd, 1);
    close(fd);
}

StdoutCapture::~StdoutCapture()
{
    // GoogleTest reports failures on standard output: show what was captured
    // when the test failed, so nothing of the report is lost.
    if (::testing::Test::HasFailure()) {
        std::fputs(text().c_str(), stderr);
    }
    std::fflush(stdout);
    dup2(saved_fd_, 1);
    close(saved_fd_);
    std::remove(path_.c_str());
}

std::string StdoutCapture::text()
{
    std::fflush(stdout);
    std::ifstream file(path_);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

Uint32 pixel(SDL_Surface* surface, int x, int y)
{
    SDL_LockSurface(surface);
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Uint32 value = 0;
    switch (surface->format->BytesPerPixel) {
    case 1: value = row[x]; break;
    case 2: value = reinterpret_cast<const Uint16*>(row)[x]; break;
    case 3: value = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16; break;
    default: value = reinterpret_cast<const Uint32*>(row)[x]; break;
    }
    SDL_UnlockSurface(surface);
    return value;
}

namespace {

SDL_Surface* like_screen(const Surfaces& s, int w, int h)
{
    const SDL_PixelFormat* f = s.screen->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, f->Rmask, f->Gmask, f->Bmask, 0);
}

// True when the screen area at (x, y) equals `expected`, which it frees.
bool screen_shows(const Surfaces& s, SDL_Surface* expected, int x, int y)
{
    bool same = true;
    for (int row = 0; row < expected->h && same; ++row) {
        for (int col = 0; col < expected->w && same; ++col) {
            same = pixel(expected, col, row) == pixel(s.screen, x + col, y + row);
        }
    }
    SDL_FreeSurface(expected);
    return same;
}

// The backdrop area, optionally with a sprite copied over it, made in the
// screen's format and compared with the screen there.
bool area_matches(const Surfaces& s, const SDL_Rect* source, SDL_Rect area)
{
    SDL_Surface* expected = like_screen(s, area.w, area.h);
    SDL_Rect from = area;
    SDL_UpperBlit(s.backdrop, &from, expected, nullptr);
    if (source != nullptr) {
        SDL_Rect sprite = *source;
        SDL_UpperBlit(s.sprites, &sprite, expected, nullptr);
    }
    return screen_shows(s, expected, area.x, area.y);
}

}  // namespace

bool shows_sprite(const Surfaces& s, SDL_Rect source, int x, int y)
{
    return area_matches(s, &source,
                        SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), source.w, source.h});
}

bool shows_backdrop(const Surfaces& s, SDL_Rect area) { return area_matches(s, nullptr, area); }

bool shows_digit(const Surfaces& s, int digit, int x)
{
    static const Sint16 kGlyphTop[5] = {0, 12, 22, 33, 44};  // even digits at x 0, odd ones at x 10
    return shows_sprite(s, {static_cast<Sint16>(digit % 2 * 10), kGlyphTop[digit / 2], 10, 10}, x, 14);
}

std::vector<int> unseeded_rand(int count)
{
    std::vector<int> values;
    for (std::srand(1); values.size() < static_cast<size_t>(count);) values.push_back(std::rand());
    std::srand(1);
    return values;
}

bool shows_only(const Surfaces& s, SDL_Rect source, int x, int y)
{
    SDL_Surface* expected = like_screen(s, s.screen->w, s.screen->h);
    SDL_UpperBlit(s.backdrop, nullptr, expected, nullptr);
    SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_UpperBlit(s.sprites, &source, expected, &at);
    return screen_shows(s, expected, 0, 0);
}

std::string in_child(const std::function<std::string()>& work)
{
    char name[] = "/tmp/frostrun-child-XXXXXX";
    close(mkstemp(name));
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream(name, std::ios::binary) << work();
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    std::ifstream file(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    std::remove(name);
    return bytes.str();
}

}  // namespace harness

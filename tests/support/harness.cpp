#include "support/harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <SDL_image.h>

namespace harness {

void use_dummy_drivers()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // An audio driver asked for stays: tests of the game without a device ask
    // for one that does not exist.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

Surfaces open_surfaces()
{
    use_dummy_drivers();
    SDL_Init(SDL_INIT_VIDEO);
    // Kept reachable for the whole run, like the game's own surfaces.
    static Surfaces s;
    s = {SDL_SetVideoMode(640, 480, 16, SDL_SWSURFACE), IMG_Load(FROSTRUN_ASSET_DIR "/sprites.png"),
         IMG_Load(FROSTRUN_ASSET_DIR "/background.png")};
    if (s.screen == nullptr || s.backdrop == nullptr || s.sprites == nullptr) {
        std::fprintf(stderr, "test surfaces: %s\n", SDL_GetError());
        std::abort();
    }
    SDL_SetColorKey(s.sprites, SDL_SRCCOLORKEY, 0);
    SDL_UpperBlit(s.backdrop, nullptr, s.screen, nullptr);
    return s;
}

unsigned long long picture_hash(SDL_Surface* surface)
{
    constexpr unsigned long long kOffsetBasis = 14695981039346656037ull;
    constexpr unsigned long long kPrime = 1099511628211ull;
    unsigned long long hash = kOffsetBasis;
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        const int words = surface->w * surface->format->BytesPerPixel / 4;
        for (int i = 0; i < words; ++i) {
            Uint32 word;
            std::memcpy(&word, row + 4 * i, 4);
            hash = (hash ^ word) * kPrime;
        }
    }
    SDL_UnlockSurface(surface);
    return hash;
}

void push(Uint8 type, SDLKey key)
{
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

std::string own_data_folder(const std::string& below)
{
    static char root[] = "/tmp/frostrun-test-XXXXXX";
    fake::platform().data_folder = std::string(mkdtemp(root)) + below;
    std::atexit([] { std::filesystem::remove_all(root); });
    return fake::platform().data_folder;
}

std::string read_text(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

}  // namespace harness

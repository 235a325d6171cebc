// The game holds an opaque backdrop in a format that is quicker to erase
// from (one conversion at start-up instead of a slow one in every erase).
// That must not change a single presented pixel: each case plays the same
// autopiloted session twice, in two fresh processes, once as the game runs
// and once with the conversion turned into a copy in the image's own
// format, and compares every presented frame. The backdrops are the game's own and PNGs of every kind
// SDL_image hands over differently: RGB, RGBA, grayscale, 16 bits per
// channel, palette with and without a transparent entry, 1 x 1, oversized.
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "autopilot.h"
#include "loop/game_loop.h"
#include "support/fake_platform.h"

namespace {

bool keep_as_loaded = false;
int conversions = 0;

}  // namespace

// Stands in for SDL's own: counts the conversions the game asks for and,
// when keep_as_loaded is set, answers a copy in the image's own format.
extern "C" SDL_Surface* SDL_ConvertSurface(SDL_Surface* surface, SDL_PixelFormat* format, Uint32 flags)
{
    using Convert = SDL_Surface* (*)(SDL_Surface*, SDL_PixelFormat*, Uint32);
    static const auto real = reinterpret_cast<Convert>(dlsym(RTLD_NEXT, "SDL_ConvertSurface"));
    conversions += 1;
    return real(surface, keep_as_loaded ? surface->format : format, flags);
}

namespace {

constexpr int kFrames = 1800;  // through two intros, the opponent and items

// A PNG of `w` x `h`, `channels` samples per pixel of `depth` bits, from
// `sample(x, y, c)`; colour type as PNG numbers it, optional palette and
// transparency chunks.
using Sample = unsigned (*)(int x, int y, int c);
void write_png(const std::string& path, int w, int h, int colour_type, int channels, int depth,
               Sample sample, const std::string& plte = "", const std::string& trns = "")
{
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < channels; ++c) {
                const unsigned v = sample(x, y, c);
                if (depth == 16) raw += static_cast<char>(v >> 8);
                raw += static_cast<char>(v & 0xff);
            }
        }
    }
    uLongf packed_size = compressBound(raw.size());
    std::string packed(packed_size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &packed_size,
             reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    packed.resize(packed_size);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    const auto u32 = [](unsigned v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    const auto chunk = [&](const char* type, const std::string& data) {
        const std::string body = type + data;
        const unsigned crc = static_cast<unsigned>(
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
        const std::string out = u32(static_cast<unsigned>(data.size())) + body + u32(crc);
        std::fwrite(out.data(), 1, out.size(), file);
    };
    std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, file);
    chunk("IHDR", u32(static_cast<unsigned>(w)) + u32(static_cast<unsigned>(h)) +
                      std::string{static_cast<char>(depth), static_cast<char>(colour_type), 0, 0, 0});
    if (!plte.empty()) chunk("PLTE", plte);
    if (!trns.empty()) chunk("tRNS", trns);
    chunk("IDAT", packed);
    chunk("IEND", "");
    std::fclose(file);
}

// Patterns rich in colours, so that any difference in how a colour is
// reduced to the screen's 16 bits shows.
unsigned mixed(int x, int y, int c) { return static_cast<unsigned>((x * (3 + c * 2) + y * (5 - c) + (x ^ y) * c) & 0xff); }
unsigned wide(int x, int y, int c) { return static_cast<unsigned>((x * 331 + y * 577 + c * 4099) * 2654435761u >> 16) & 0xffff; }
unsigned faded(int x, int y, int c) { return c == 3 ? static_cast<unsigned>((x + y) & 0xff) : mixed(x, y, c); }
unsigned index_of(int x, int y, int) { return static_cast<unsigned>((x / 3 + y * 7) & 0xff); }

std::string palette()
{
    std::string entries;
    for (int i = 0; i < 256 * 3; ++i) entries += static_cast<char>((i * 97 + i / 3 * 13) & 0xff);
    return entries;
}

// Makes background.png of the case in `dir`.
void make_backdrop(const std::string& kind, const std::string& dir)
{
    const std::string path = dir + "/background.png";
    if (kind == "game-art") {
        ASSERT_EQ(symlink(FROSTRUN_ASSET_DIR "/background.png", path.c_str()), 0);
    } else if (kind == "rgb") {
        write_png(path, 640, 480, 2, 3, 8, mixed);
    } else if (kind == "rgba") {
        write_png(path, 640, 480, 6, 4, 8, faded);
    } else if (kind == "grayscale") {
        write_png(path, 640, 480, 0, 1, 8, mixed);
    } else if (kind == "16-bit") {
        write_png(path, 640, 480, 2, 3, 16, wide);
    } else if (kind == "palette") {
        write_png(path, 640, 480, 3, 1, 8, index_of, palette());
    } else if (kind == "palette-keyed") {
        write_png(path, 640, 480, 3, 1, 8, index_of, palette(), std::string(1, '\0'));
    } else if (kind == "1x1") {
        write_png(path, 1, 1, 2, 3, 8, mixed);
    } else if (kind == "oversized") {
        write_png(path, 900, 700, 2, 3, 8, mixed);
    }
}

// One run of the game in a child process: every presented frame's hash,
// after the number of conversions the game asked for.
std::vector<unsigned long long> play(const std::string& dir, bool as_loaded)
{
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        keep_as_loaded = as_loaded;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (chdir(dir.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout)) _exit(2);
        static std::vector<unsigned long long> hashes;
        hashes.reserve(kFrames * 2);
        fake::platform().on_flip = [](SDL_Surface* video) {
            // FNV-1a over 64-bit words (a 640-pixel row is whole words).
            unsigned long long hash = 14695981039346656037ull;
            SDL_LockSurface(video);
            for (int y = 0; y < video->h; ++y) {
                const auto* row = reinterpret_cast<const unsigned long long*>(
                    static_cast<const Uint8*>(video->pixels) + y * video->pitch);
                for (int i = 0; i < video->w * video->format->BytesPerPixel / 8; ++i) hash = (hash ^ row[i]) * 1099511628211ull;
            }
            SDL_UnlockSurface(video);
            hashes.push_back(hash);
        };
        autopilot::Pilot pilot;
        autopilot::answer_intros();
        game_step();
        for (int frame = 0; frame < kFrames; ++frame) {
            pilot.before_frame();
            if (static_cast<char>(game_step()) != 'Y') break;
            pilot.after_frame();
        }
        hashes.insert(hashes.begin(), static_cast<unsigned long long>(conversions));
        const ssize_t size = static_cast<ssize_t>(hashes.size() * sizeof hashes[0]);
        _exit(write(out[1], hashes.data(), static_cast<size_t>(size)) == size ? 0 : 3);
    }
    close(out[1]);
    std::vector<unsigned long long> hashes;
    unsigned long long value = 0;
    while (read(out[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) hashes.push_back(value);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the game's run failed";
    return hashes;
}

struct Case {
    const char* kind;
    bool converted;  // opaque backdrops are; blending ones stay as loaded
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.kind; }

class BackdropIdentity : public testing::TestWithParam<Case> {};

TEST_P(BackdropIdentity, PresentsTheSameFramesAsTheBackdropAsLoaded)
{
    char name[] = "/tmp/frostrun-backdrop-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    const std::string dir = name;
    ASSERT_EQ(symlink(FROSTRUN_ASSET_DIR "/sprites.png", (dir + "/sprites.png").c_str()), 0);
    make_backdrop(GetParam().kind, dir);

    const std::vector<unsigned long long> game = play(dir, false);
    const std::vector<unsigned long long> as_loaded = play(dir, true);
    std::system(("rm -rf " + dir).c_str());

    ASSERT_GT(game.size(), static_cast<size_t>(kFrames));
    EXPECT_EQ(game[0], GetParam().converted ? 1u : 0u) << "conversions the game asked for";
    ASSERT_EQ(game.size(), as_loaded.size());
    for (size_t i = 1; i < game.size(); ++i) {
        ASSERT_EQ(game[i], as_loaded[i]) << "presented frame " << i << " differs";
    }
}

INSTANTIATE_TEST_SUITE_P(, BackdropIdentity,
                         testing::Values(Case{"game-art", true}, Case{"rgb", true}, Case{"rgba", false},
                                         Case{"grayscale", true}, Case{"16-bit", true},
                                         Case{"palette", true}, Case{"palette-keyed", false},
                                         Case{"1x1", true}, Case{"oversized", true}),
                         [](const testing::TestParamInfo<Case>& param) {
                             std::string name = param.param.kind;
                             for (char& c : name) if (c == '-') c = '_';
                             return name;
                         });

}  // namespace

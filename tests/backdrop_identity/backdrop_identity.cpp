// The game's speed-ups must not change a single presented pixel: an opaque
// backdrop held in a format that is quicker to erase from (one conversion
// at start-up instead of a slow one in every erase), the bursts' particles
// written as the one value that SDL's blit of the sheet's pixel (0, 0)
// gives, and the fountains' one-pixel erases copied as values from such a
// backdrop, instead of a blit per particle. Each case
// plays the same autopiloted session twice, in two fresh processes, once as
// the game runs and once plain (the backdrop converted into a copy in its
// own format, every particle blitted), and compares every presented frame.
// The backdrops are the game's own and PNGs of every kind SDL_image hands
// over differently: RGB, RGBA, grayscale, 16 bits per channel, palette with
// and without a transparent entry, 1 x 1, oversized; the sprite sheets the
// game's own and the same kinds, with pixel (0, 0) transparent (value 0),
// drawn, or blending.
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <SDL.h>
#include <SDL_image.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "autopilot.h"
#include "loop/game_loop.h"
#include "base/surfaces.h"
#include "screens/bursts.h"
#include "support/fake_platform.h"

namespace {

bool plain = false;  // the run without the speed-ups
int conversions = 0;
int particle_blits = 0;

}  // namespace

// Stands in for SDL's own: counts the conversions the game asks for and,
// in the plain run, answers a copy in the image's own format.
extern "C" SDL_Surface* SDL_ConvertSurface(SDL_Surface* surface, SDL_PixelFormat* format, Uint32 flags)
{
    using Convert = SDL_Surface* (*)(SDL_Surface*, SDL_PixelFormat*, Uint32);
    static const auto real = reinterpret_cast<Convert>(dlsym(RTLD_NEXT, "SDL_ConvertSurface"));
    conversions += 1;
    return real(surface, plain ? surface->format : format, flags);
}

// Stands in for SDL's own. In the plain run a keyed surface without an
// alpha channel also gets the flag of per-surface alpha, at opaque: SDL
// blits it exactly as before (opaque per-surface alpha is no blending), but
// the bursts take a sheet so flagged for one that may blend, and blit every
// particle.
extern "C" int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key)
{
    using SetKey = int (*)(SDL_Surface*, Uint32, Uint32);
    static const auto real = reinterpret_cast<SetKey>(dlsym(RTLD_NEXT, "SDL_SetColorKey"));
    const int result = real(surface, flag, key);
    if (plain && surface->format->Amask == 0) {
        SDL_SetAlpha(surface, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    }
    return result;
}

// Stands in for SDL's own: counts the blits of the sheet's pixel (0, 0).
extern "C" int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* from, SDL_Surface* dst, SDL_Rect* to)
{
    using Blit = int (*)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);
    static const auto real = reinterpret_cast<Blit>(dlsym(RTLD_NEXT, "SDL_UpperBlit"));
    if (from != nullptr && from->x == 0 && from->y == 0 && from->w == 1 && from->h == 1) {
        particle_blits += 1;
    }
    return real(src, from, dst, to);
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
// The same with pixel (0, 0) not 0 (drawn), or half transparent.
unsigned lit(int x, int y, int c) { return mixed(x + 1, y, c); }
unsigned lit_index(int x, int y, int c) { return index_of(x + 3, y, c); }
unsigned half_faded(int x, int y, int c) { return c == 3 ? static_cast<unsigned>((x + y + 128) & 0xff) : lit(x, y, c); }

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

// Makes sprites.png of the case in `dir`; sheets as big as the game's, so
// that every picture it copies lies on them, unless the kind says.
void make_sheet(const std::string& kind, const std::string& dir)
{
    const std::string path = dir + "/sprites.png";
    if (kind == "game-art") {
        ASSERT_EQ(symlink(FROSTRUN_ASSET_DIR "/sprites.png", path.c_str()), 0);
    } else if (kind == "palette-origin-0") {
        write_png(path, 500, 457, 3, 1, 8, index_of, palette());
    } else if (kind == "palette") {
        write_png(path, 500, 457, 3, 1, 8, lit_index, palette());
    } else if (kind == "palette-keyed") {
        write_png(path, 500, 457, 3, 1, 8, lit_index, palette(), std::string(1, '\0'));
    } else if (kind == "rgb-origin-black") {
        write_png(path, 500, 457, 2, 3, 8, mixed);
    } else if (kind == "rgb") {
        write_png(path, 500, 457, 2, 3, 8, lit);
    } else if (kind == "rgba") {
        write_png(path, 500, 457, 6, 4, 8, half_faded);
    } else if (kind == "grayscale") {
        write_png(path, 500, 457, 0, 1, 8, lit);
    } else if (kind == "16-bit-grayscale") {
        write_png(path, 500, 457, 0, 1, 16, wide);
    } else if (kind == "16-bit") {
        write_png(path, 500, 457, 2, 3, 16, wide);
    } else if (kind == "1x1-origin-0") {
        write_png(path, 1, 1, 3, 1, 8, index_of, palette());
    } else if (kind == "1x1") {
        write_png(path, 1, 1, 2, 3, 8, lit);
    } else if (kind == "oversized") {
        write_png(path, 1600, 1200, 3, 1, 8, lit_index, palette());
    }
}

// What one run of the game in a child process saw.
struct Session {
    unsigned long long conversions = 0, particle_blits = 0;
    std::vector<unsigned long long> frames;  // every presented frame's hash
};

// The autopiloted session through the real game loop.
void game_session()
{
    autopilot::Pilot pilot;
    autopilot::answer_intros();
    game_step();
    for (int frame = 0; frame < kFrames; ++frame) {
        pilot.before_frame();
        if (static_cast<char>(game_step()) != 'Y') break;
        pilot.after_frame();
    }
}

// Bursts across every edge of a clip area, and so far out that the
// rectangle's 16-bit position wraps back onto the screen, drawn straight
// with burst_effect on the game's screen, presented after every step. The
// backdrop is converted to the screen's format, as the game's is.
void edge_bursts()
{
    game_step();  // opens the screen as the game does
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_Surface* sprites = IMG_Load("sprites.png");
    SDL_Surface* loaded = IMG_Load("background.png");
    ASSERT_TRUE(screen != nullptr && sprites != nullptr && loaded != nullptr);
    SDL_Surface* backdrop = SDL_ConvertSurface(loaded, screen->format, SDL_SWSURFACE);
    ASSERT_TRUE(backdrop != nullptr);
    SDL_SetColorKey(sprites, SDL_SRCCOLORKEY, 0);
    SDL_Rect clip = {3, 2, 630, 470};
    SDL_SetClipRect(screen, &clip);
    const int starts[][2] = {{-20, 100}, {620, 200}, {300, -25}, {300, 460}, {-25, 460}, {615, 470},
                             {65536 + 200, 300}, {200 - 65536, 100}, {300, 65536 + 100}};
    for (const auto& start : starts) {
        burst_effect(screen, sprites, backdrop, start[0], start[1], kBurstStart);
    }
    for (int step = 0; step < 120; ++step) {
        burst_effect(screen, sprites, backdrop, 0, 0, kBurstStep);
        present_screen(screen);
    }
}

Session play(const std::string& dir, bool plain_run, void (*drive)() = game_session)
{
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        plain = plain_run;
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
        drive();
        hashes.insert(hashes.begin(), {static_cast<unsigned long long>(conversions),
                                       static_cast<unsigned long long>(particle_blits)});
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
    Session run;
    if (hashes.size() >= 2) {
        run.conversions = hashes[0];
        run.particle_blits = hashes[1];
        run.frames.assign(hashes.begin() + 2, hashes.end());
    }
    return run;
}

// Plays the case's images as the game runs them and plainly, and compares.
void expect_same_frames(const Session& game, const Session& plain_run)
{
    ASSERT_GT(game.frames.size(), static_cast<size_t>(kFrames));
    ASSERT_EQ(game.frames.size(), plain_run.frames.size());
    for (size_t i = 0; i < game.frames.size(); ++i) {
        ASSERT_EQ(game.frames[i], plain_run.frames[i]) << "presented frame " << i + 1 << " differs";
    }
}

std::string make_dir()
{
    char name[] = "/tmp/frostrun-identity-XXXXXX";
    return mkdtemp(name) != nullptr ? name : "";
}

// The game's and the plain run of one case: a folder with the game's own
// `kept` image and the case's other image made by `make`.
struct Runs {
    Session game;
    Session plain_run;
};
Runs play_case(const char* kept, void (*make)(const std::string&, const std::string&),
               const char* kind, void (*drive)() = game_session)
{
    const std::string dir = make_dir();
    EXPECT_FALSE(dir.empty());
    EXPECT_EQ(symlink((std::string(FROSTRUN_ASSET_DIR "/") + kept).c_str(),
                      (dir + "/" + kept).c_str()),
              0);
    make(kind, dir);
    Runs runs{play(dir, false, drive), play(dir, true, drive)};
    std::system(("rm -rf " + dir).c_str());
    return runs;
}

std::string test_name(const char* kind)
{
    std::string name = kind;
    for (char& c : name) if (c == '-') c = '_';
    return name;
}

struct Case {
    const char* kind;
    bool converted;  // opaque backdrops are; blending ones stay as loaded
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.kind; }

class BackdropIdentity : public testing::TestWithParam<Case> {};

TEST_P(BackdropIdentity, PresentsTheSameFramesAsTheBackdropAsLoaded)
{
    const auto [game, plain_run] = play_case("sprites.png", make_backdrop, GetParam().kind);

    EXPECT_EQ(game.conversions, GetParam().converted ? 1u : 0u) << "conversions the game asked for";
    expect_same_frames(game, plain_run);
}

INSTANTIATE_TEST_SUITE_P(, BackdropIdentity,
                         testing::Values(Case{"game-art", true}, Case{"rgb", true}, Case{"rgba", false},
                                         Case{"grayscale", true}, Case{"16-bit", true},
                                         Case{"palette", true}, Case{"palette-keyed", false},
                                         Case{"1x1", true}, Case{"oversized", true}),
                         [](const testing::TestParamInfo<Case>& param) { return test_name(param.param.kind); });

struct SheetCase {
    const char* kind;
    bool written;  // particles written as one value; a sheet that blends keeps its blits
};

void PrintTo(const SheetCase& c, std::ostream* out) { *out << c.kind; }

class ParticleIdentity : public testing::TestWithParam<SheetCase> {};

TEST_P(ParticleIdentity, PresentsTheSameFramesAsABlitPerParticle)
{
    const auto [game, plain_run] = play_case("background.png", make_sheet, GetParam().kind);

    // The plain run blits every particle; the game only asks SDL once per
    // frame with bursts, unless the sheet may blend.
    EXPECT_GT(plain_run.particle_blits, 1000u) << "the session has bursts";
    if (GetParam().written) {
        EXPECT_LT(game.particle_blits * 10, plain_run.particle_blits);
    } else {
        EXPECT_EQ(game.particle_blits, plain_run.particle_blits);
    }
    expect_same_frames(game, plain_run);
}

TEST_P(ParticleIdentity, PresentsTheSameFramesAsABlitPerParticleAtTheEdges)
{
    const auto [game, plain_run] =
        play_case("background.png", make_sheet, GetParam().kind, edge_bursts);

    EXPECT_GT(plain_run.particle_blits, 1000u);
    ASSERT_EQ(game.frames.size(), 120u);
    ASSERT_EQ(plain_run.frames.size(), 120u);
    for (size_t i = 0; i < game.frames.size(); ++i) {
        ASSERT_EQ(game.frames[i], plain_run.frames[i]) << "step " << i + 1 << " differs";
    }
}

INSTANTIATE_TEST_SUITE_P(, ParticleIdentity,
                         testing::Values(SheetCase{"game-art", true}, SheetCase{"palette-origin-0", true},
                                         SheetCase{"palette", true}, SheetCase{"palette-keyed", true},
                                         SheetCase{"rgb-origin-black", true}, SheetCase{"rgb", true},
                                         SheetCase{"rgba", false}, SheetCase{"grayscale", true},
                                         SheetCase{"16-bit-grayscale", true}, SheetCase{"16-bit", true},
                                         SheetCase{"1x1-origin-0", true}, SheetCase{"1x1", true},
                                         SheetCase{"oversized", true}),
                         [](const testing::TestParamInfo<SheetCase>& param) { return test_name(param.param.kind); });

}  // namespace

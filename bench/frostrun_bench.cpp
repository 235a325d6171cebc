// What one frame of the game costs: a long autopiloted session through the
// real frame code, headless on the virtual clock (the pacing waits cost no
// time), against a naive frame that copies the whole backdrop as loaded onto
// the screen, measured between the game's frames so that both meet the same
// machine. Also heap calls per frame, start-up to first frame, peak memory.
// With --present RUNS it measures instead the present of a scaled picture
// against a plain memcpy of the window's bytes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "alloc_count.h"
#include "autopilot.h"
#include "loop/game_loop.h"
#include "base/picture_scaler.h"
#include "base/sound.h"
#include "base/surfaces.h"
#include "screens/lives.h"
#include "support/fake_platform.h"
#include "world/world_state.h"
#include "world/world_tick.h"

extern char** environ;

namespace {

long long now_ns(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// What reading the thread's CPU clock twice costs with nothing between
// (a system call here, some microseconds in a virtual machine); taken off
// every sample.
long long clock_overhead_ns()
{
    std::vector<long long> empty;
    for (int i = 0; i < 1001; ++i) {
        const long long t0 = now_ns(CLOCK_THREAD_CPUTIME_ID);
        empty.push_back(now_ns(CLOCK_THREAD_CPUTIME_ID) - t0);
    }
    std::sort(empty.begin(), empty.end());
    return empty[empty.size() / 2];
}

long peak_kib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void enter_game_dir(const char* assets)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (chdir(assets) != 0) {
        std::perror(assets);
        std::exit(2);
    }
}

struct Stats {
    double mean, median, p99, max;
};

Stats stats_of(std::vector<long long> ns)
{
    std::sort(ns.begin(), ns.end());
    double sum = 0;
    for (long long v : ns) {
        sum += static_cast<double>(v);
    }
    const auto at = [&](double q) { return static_cast<double>(ns[static_cast<size_t>(q * static_cast<double>(ns.size() - 1))]); };
    return {sum / static_cast<double>(ns.size()) / 1e3, at(0.5) / 1e3, at(0.99) / 1e3, at(1.0) / 1e3};
}

// Child of the start-up measurement: a fresh process runs the start-up
// step and the first frame, and tells how long after its exec the first
// frame was presented.
int first_frame_child(const char* assets, long long exec_ns)
{
    enter_game_dir(assets);
    static long long presented_ns = 0;
    fake::platform().on_flip = [](SDL_Surface*) {
        if (presented_ns == 0) {
            presented_ns = now_ns(CLOCK_MONOTONIC);
        }
    };
    game_step();
    game_step();
    std::printf("\nfirst-frame-us %lld peak-kib %ld\n", (presented_ns - exec_ns) / 1000, peak_kib());
    return 0;
}

// Runs `runs` fresh processes of this program up to their first frame;
// answers the microseconds from exec to that frame, sorted.
std::vector<long long> measure_first_frame(const char* self, const char* assets, int runs, long& child_kib)
{
    std::vector<long long> us;
    for (int run = 0; run < runs; ++run) {
        int out[2];
        if (pipe(out) != 0) {
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const std::string start = std::to_string(now_ns(CLOCK_MONOTONIC));
        const char* args[] = {self, "--first-frame-child", start.c_str(), "--assets", assets, nullptr};
        pid_t child = 0;
        const int failed = posix_spawn(&child, self, &actions, nullptr, const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<size_t>(n));
        }
        close(out[0]);
        int status = 0;
        if (failed == 0) {
            waitpid(child, &status, 0);
        }
        long long value = 0;
        const size_t at = text.find("first-frame-us ");
        if (at != std::string::npos && std::sscanf(text.c_str() + at, "first-frame-us %lld peak-kib %ld", &value, &child_kib) == 2) {
            us.push_back(value);
        }
    }
    std::sort(us.begin(), us.end());
    return us;
}

// The present of a scaled picture (the backdrop) for the windows the
// options ask for, `runs` times each, interleaved with a plain memcpy of
// the window's bytes into a buffer of their size; medians of the thread's
// CPU time, less `overhead`. Exits 1 when a present allocated.
int measure_presents(const char* assets, int runs, long long overhead)
{
    struct Window {
        const char* name;
        int scale;
        bool full_screen;
        platform::DesktopMode desktop;
    };
    const Window windows[] = {
        {"scale 2", 2, false, {0, 0, 32}},
        {"scale 3", 3, false, {0, 0, 32}},
        {"full screen 1920 x 1080", 1, true, {1920, 1080, 32}},
        {"full screen 1920 x 1080", 1, true, {1920, 1080, 24}},
        {"full screen 1920 x 1080", 1, true, {1920, 1080, 16}},
    };
    enter_game_dir(assets);
    platform::init(SDL_INIT_VIDEO);
    SDL_Surface* backdrop = IMG_Load("background.png");
    if (backdrop == nullptr) {
        std::fprintf(stderr, "background.png: %s\n", IMG_GetError());
        return 2;
    }
    const auto median_us = [](std::vector<long long>& ns) {
        std::sort(ns.begin(), ns.end());
        return static_cast<double>(ns[ns.size() / 2]) / 1e3;
    };
    unsigned long allocations = 0;
    for (const Window& w : windows) {
        fake::platform().desktop = w.desktop;
        SDL_Surface* picture = open_scaled_screen(plan_scaled_window(w.scale, w.full_screen));
        SDL_Surface* window = SDL_GetVideoSurface();
        if (picture == nullptr || window == nullptr) {
            std::fprintf(stderr, "%s: %s\n", w.name, SDL_GetError());
            return 2;
        }
        SDL_UpperBlit(backdrop, nullptr, picture, nullptr);
        const size_t bytes = static_cast<size_t>(window->pitch) * static_cast<size_t>(window->h);
        std::vector<Uint8> copy(bytes);
        std::vector<long long> present_ns, memcpy_ns;
        present_ns.reserve(static_cast<size_t>(runs));
        memcpy_ns.reserve(static_cast<size_t>(runs));
        present_screen(picture);  // paints the border, as the first present does
        for (int run = 0; run < runs; ++run) {
            const unsigned long before = alloc_count::calls;
            alloc_count::counting = true;
            long long t0 = now_ns(CLOCK_THREAD_CPUTIME_ID);
            present_screen(picture);
            present_ns.push_back(std::max(0LL, now_ns(CLOCK_THREAD_CPUTIME_ID) - t0 - overhead));
            alloc_count::counting = false;
            allocations += alloc_count::calls - before;
            t0 = now_ns(CLOCK_THREAD_CPUTIME_ID);
            std::memcpy(copy.data(), window->pixels, bytes);
            memcpy_ns.push_back(std::max(0LL, now_ns(CLOCK_THREAD_CPUTIME_ID) - t0 - overhead));
        }
        const double present = median_us(present_ns), plain = median_us(memcpy_ns);
        std::printf("%-24s %4d x %4d %2d-bit, factor %d: present %7.0f us, memcpy of %8zu bytes %7.0f us,"
                    " %.2f x (target 2)\n", w.name, window->w, window->h, window->format->BitsPerPixel,
                    plan_scaled_window(w.scale, w.full_screen).factor, present, bytes, plain, present / plain);
        SDL_FreeSurface(picture);
    }
    std::printf("heap in %d presents of each window: %lu allocations\n", runs, allocations);
    return allocations == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    long max_frames = 60000;
    int stop_level = 8, naive_every = 16, startup_runs = 20, present_runs = 0;
    const char* assets = FROSTRUN_ASSET_DIR;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--frames") max_frames = std::atol(argv[i + 1]);
        else if (option == "--levels") stop_level = std::atoi(argv[i + 1]);
        else if (option == "--naive-every") naive_every = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--startup-runs") startup_runs = std::atoi(argv[i + 1]);
        else if (option == "--assets") assets = argv[i + 1];
        else if (option == "--present") present_runs = std::atoi(argv[i + 1]);
        else if (option == "--first-frame-child") {
            const char* start = argv[i + 1];
            for (int j = i + 2; j + 1 < argc; j += 2) {
                if (std::strcmp(argv[j], "--assets") == 0) assets = argv[j + 1];
            }
            return first_frame_child(assets, std::atoll(start));
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--levels L] [--naive-every N] [--startup-runs N] [--assets DIR] [--present RUNS]\n", argv[0]);
            return 2;
        }
    }

    const long long overhead = clock_overhead_ns();
    if (present_runs > 0) {
        return measure_presents(assets, present_runs, overhead);
    }
    const auto cpu_since = [overhead](long long t0) {
        return std::max(0LL, now_ns(CLOCK_THREAD_CPUTIME_ID) - t0 - overhead);
    };
    long child_kib = 0;
    const std::vector<long long> first_us = measure_first_frame(argv[0], assets, startup_runs, child_kib);

    // The game's line per frame goes to /dev/null; the report to the real
    // standard output.
    std::FILE* report = fdopen(dup(1), "w");
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    dup2(null_fd, 2);
    close(null_fd);
    enter_game_dir(assets);

    autopilot::Pilot pilot;
    autopilot::answer_intros();
    std::vector<long long> frame_ns, plain_ns;
    frame_ns.reserve(static_cast<size_t>(max_frames));
    plain_ns.reserve(static_cast<size_t>(max_frames));
    const long long started = now_ns(CLOCK_MONOTONIC);
    if (game_step() != 'Y') {
        std::fprintf(report, "the game did not start\n");
        return 2;
    }
    const long long startup_ns = now_ns(CLOCK_MONOTONIC) - started;
    // The session plays with the real mixer, whose thread the allocation
    // counter sees too (it counts every thread while it counts).
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) == 0 || Mix_Playing(0) == 0) {
        std::fprintf(report, "the mixer is not open or the music not playing\n");
        return 2;
    }

    // The naive frame: the whole backdrop, as loaded, onto the screen and
    // presented. The game's picture is put back afterwards (not timed):
    // the game draws on what it left there.
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_Surface* loaded = IMG_Load("background.png");
    if (loaded == nullptr) {
        std::fprintf(report, "background.png: %s\n", IMG_GetError());
        return 2;
    }
    std::vector<Uint8> picture(static_cast<size_t>(screen->pitch) * static_cast<size_t>(screen->h));
    std::vector<long long> naive_ns;
    naive_ns.reserve(static_cast<size_t>(max_frames / naive_every + 1));
    const auto naive_frame = [&] {
        std::memcpy(picture.data(), screen->pixels, picture.size());
        const long long t0 = now_ns(CLOCK_THREAD_CPUTIME_ID);
        SDL_Rect whole = {0, 0, 640, 480};
        SDL_UpperBlit(loaded, nullptr, screen, &whole);
        present_screen(screen);
        naive_ns.push_back(cpu_since(t0));
        std::memcpy(screen->pixels, picture.data(), picture.size());
    };

    // The counter must see the libraries' allocations too: one surface made
    // and freed by SDL while counting has to show.
    alloc_count::counting = true;
    SDL_FreeSurface(SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 16, 0, 0, 0, 0));
    alloc_count::counting = false;
    if (alloc_count::calls == 0 || alloc_count::frees == 0) {
        std::fprintf(report, "the allocation counter does not see SDL's allocations\n");
        return 2;
    }
    alloc_count::calls = alloc_count::frees = 0;

    unsigned long allocations = 0, frees = 0, allocating_frames = 0, counted_frames = 0;
    long first_allocating = -1;
    int answer = 'Y';
    int lives_lost = 0;
    static int effects = 0;
    fake::platform().on_sound = [](int) { effects += 1; };
    while (static_cast<long>(frame_ns.size()) < max_frames && world_state().level < stop_level) {
        pilot.before_frame();
        const int flips_before = fake::platform().flips;
        const int lives_before = lives_left();
        const unsigned long calls_before = alloc_count::calls, frees_before = alloc_count::frees;
        alloc_count::counting = !frame_ns.empty();  // the first play frame builds SDL's colour maps
        const long long t0 = now_ns(CLOCK_THREAD_CPUTIME_ID);
        answer = game_step();
        const long long spent = cpu_since(t0);
        alloc_count::counting = false;
        if (alloc_count::calls != calls_before || alloc_count::frees != frees_before) {
            allocating_frames += 1;
            if (first_allocating < 0) first_allocating = static_cast<long>(frame_ns.size()) + 1;
        }
        allocations += alloc_count::calls - calls_before;
        frees += alloc_count::frees - frees_before;
        if (!frame_ns.empty()) counted_frames += 1;
        frame_ns.push_back(spent);
        // Frames that show an intro or a crash sequence present more than once.
        if (fake::platform().flips - flips_before == 1) plain_ns.push_back(spent);
        lives_lost += lives_before - lives_left();
        pilot.after_frame();
        if (static_cast<char>(answer) != 'Y') break;
        if (frame_ns.size() % static_cast<size_t>(naive_every) == 0) naive_frame();
    }
    const long session_kib = peak_kib();
    // The mixing thread alone for half a second (eleven mixes), the music
    // and an effect playing: the frames above saw only the mixes that fell
    // within them.
    play_sound(kSoundLifeLost);
    const unsigned long mixing_before = alloc_count::calls + alloc_count::frees;
    alloc_count::counting = true;
    SDL_Delay(500);
    alloc_count::counting = false;
    const unsigned long mixing = alloc_count::calls + alloc_count::frees - mixing_before;
    const WorldState& world = world_state();
    const int score = 100 * world.score_hundreds + 10 * world.score_tens + world.score_units;

    if (frame_ns.empty() || naive_ns.empty()) {
        std::fprintf(report, "nothing measured\n");
        return 2;
    }

    const Stats f = stats_of(frame_ns), p = stats_of(plain_ns), n = stats_of(naive_ns);
    std::fprintf(report, "session: %zu play frames, reached level %d, score %d, lives lost %d, %s\n",
                 frame_ns.size(), world.level, score, lives_lost,
                 static_cast<char>(answer) != 'Y' ? "game ended" : "still playing");
    std::fprintf(report, "mixer: %d Hz, %d channel(s), music and %d effects started in the session;"
                 " mixing thread alone for 500 ms: %lu allocations and frees\n",
                 rate, channels, effects, mixing);
    std::fprintf(report, "naive frame: %d-bit backdrop as loaded onto the %d-bit screen\n",
                 loaded->format->BitsPerPixel, screen->format->BitsPerPixel);
    std::fprintf(report, "frame CPU time (us):       mean %8.2f  median %8.2f  p99 %8.2f  max %8.2f\n", f.mean, f.median, f.p99, f.max);
    std::fprintf(report, "  one-flip frames (%zu):  mean %8.2f  median %8.2f  p99 %8.2f  max %8.2f\n", plain_ns.size(), p.mean, p.median, p.p99, p.max);
    std::fprintf(report, "naive full frame (us, %zu): mean %8.2f  median %8.2f  p99 %8.2f  max %8.2f\n", naive_ns.size(), n.mean, n.median, n.p99, n.max);
    std::fprintf(report, "(thread CPU clock; %.2f us of reading it taken off each sample)\n", static_cast<double>(overhead) / 1e3);
    std::fprintf(report, "frame / naive: mean %.2f%% (target 3%%), p99 %.2f%% (target 20%%); against the naive median %.2f%%, %.2f%%\n",
                 100 * f.mean / n.mean, 100 * f.p99 / n.mean, 100 * f.mean / n.median, 100 * f.p99 / n.median);
    std::fprintf(report, "heap in the %lu play frames after the first: %lu allocations, %lu frees",
                 counted_frames, allocations, frees);
    if (allocating_frames != 0) {
        std::fprintf(report, " in %lu frames, the first of them play frame %ld", allocating_frames, first_allocating);
    }
    std::fprintf(report, "\n");
    std::fprintf(report, "start-up step in this process: %.2f ms\n", static_cast<double>(startup_ns) / 1e6);
    if (!first_us.empty()) {
        std::fprintf(report, "exec to first presented frame (%zu fresh processes, virtual clock: without the first tick's 10 ms wait; us): median %lld  max %lld (target 50000); peak %ld KiB\n",
                     first_us.size(), first_us[first_us.size() / 2], first_us.back(), child_kib);
    }
    std::fprintf(report, "peak memory (ru_maxrss): %ld KiB after the session\n", session_kib);
    std::fclose(report);
    return allocations == 0 && mixing == 0 ? 0 : 1;
}

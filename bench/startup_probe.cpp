// Where the real game's start-up time goes, from exec to its first
// presented frame. Preloaded into the game binary (LD_PRELOAD) by
// startup_breakdown.py, which puts the wall-clock time just before the exec
// into FROSTRUN_PROBE_T0 (CLOCK_REALTIME, ns). It times the start-up calls
// the game makes through SDL and SDL_image, in wall-clock time and in the
// process's CPU time (which other load on the machine does not inflate),
// prints them on standard error at the first SDL_Flip and ends the process
// there.
#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

namespace {

long long read_ns(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// A moment, on both clocks.
struct Stamp {
    long long wall = read_ns(CLOCK_REALTIME);
    long long cpu = read_ns(CLOCK_PROCESS_CPUTIME_ID);
};

// Time spent in one kind of call, on both clocks.
struct Span {
    long long wall = 0, cpu = 0;
    void add(const Stamp& since)
    {
        const Stamp now;
        wall += now.wall - since.wall;
        cpu += now.cpu - since.cpu;
    }
};

long long t0_ns = 0;
Stamp loaded;  // all libraries mapped and relocated: the constructor below runs
Span init, video, backdrop_load, sprites_load, convert, first_blit, delay, sound;
int image_loads = 0;
bool first_blit_seen = false;

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void on_load()
{
    loaded = Stamp();
    if (const char* t0 = std::getenv("FROSTRUN_PROBE_T0")) {
        t0_ns = std::atoll(t0);
    }
}

double ms(long long ns) { return static_cast<double>(ns) / 1e6; }

}  // namespace

extern "C" {

int SDL_Init(Uint32 flags)
{
    static const auto next = real<int (*)(Uint32)>("SDL_Init");
    const Stamp t;
    const int result = next(flags);
    init.add(t);
    return result;
}

// The sound's start: the audio system, the mixer and every sound file.
int SDL_InitSubSystem(Uint32 flags)
{
    static const auto next = real<int (*)(Uint32)>("SDL_InitSubSystem");
    const Stamp t;
    const int result = next(flags);
    sound.add(t);
    return result;
}

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize)
{
    static const auto next = real<int (*)(int, Uint16, int, int)>("Mix_OpenAudio");
    const Stamp t;
    const int result = next(frequency, format, channels, chunksize);
    sound.add(t);
    return result;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc)
{
    static const auto next = real<Mix_Chunk* (*)(SDL_RWops*, int)>("Mix_LoadWAV_RW");
    const Stamp t;
    Mix_Chunk* result = next(src, freesrc);
    sound.add(t);
    return result;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    static const auto next = real<SDL_Surface* (*)(int, int, int, Uint32)>("SDL_SetVideoMode");
    const Stamp t;
    SDL_Surface* result = next(width, height, bpp, flags);
    video.add(t);
    return result;
}

SDL_Surface* IMG_Load(const char* file)
{
    static const auto next = real<SDL_Surface* (*)(const char*)>("IMG_Load");
    const Stamp t;
    SDL_Surface* result = next(file);
    (image_loads++ == 0 ? backdrop_load : sprites_load).add(t);
    return result;
}

SDL_Surface* SDL_ConvertSurface(SDL_Surface* surface, SDL_PixelFormat* format, Uint32 flags)
{
    static const auto next = real<SDL_Surface* (*)(SDL_Surface*, SDL_PixelFormat*, Uint32)>("SDL_ConvertSurface");
    const Stamp t;
    SDL_Surface* result = next(surface, format, flags);
    convert.add(t);
    return result;
}

// The first blit of the run is the whole backdrop onto the screen.
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect)
{
    static const auto next = real<int (*)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*)>("SDL_UpperBlit");
    if (first_blit_seen) {
        return next(src, srcrect, dst, dstrect);
    }
    first_blit_seen = true;
    const Stamp t;
    const int result = next(src, srcrect, dst, dstrect);
    first_blit.add(t);
    return result;
}

void SDL_Delay(Uint32 ms_)
{
    static const auto next = real<void (*)(Uint32)>("SDL_Delay");
    const Stamp t;
    next(ms_);
    delay.add(t);
}

int SDL_Flip(SDL_Surface* screen)
{
    static const auto next = real<int (*)(SDL_Surface*)>("SDL_Flip");
    const int result = next(screen);
    const Stamp presented;
    const Span* steps[] = {&init, &video, &backdrop_load, &sprites_load, &convert, &first_blit,
                           &sound, &delay};
    const char* names[] = {"sdl_init", "set_video_mode", "load_backdrop", "load_sprites",
                           "convert_backdrop", "first_backdrop_blit", "start_sound",
                           "pacing_wait"};
    // Wall-clock and CPU milliseconds of each step; the CPU time before main
    // is the process's own (exec and the dynamic loader).
    std::fprintf(stderr, "\nprobe: exec_to_main %.3f %.3f", ms(loaded.wall - t0_ns), ms(loaded.cpu));
    Span rest;
    rest.wall = presented.wall - loaded.wall;
    rest.cpu = presented.cpu - loaded.cpu;
    for (int i = 0; i < 8; ++i) {
        std::fprintf(stderr, " %s %.3f %.3f", names[i], ms(steps[i]->wall), ms(steps[i]->cpu));
        rest.wall -= steps[i]->wall;
        rest.cpu -= steps[i]->cpu;
    }
    std::fprintf(stderr, " rest %.3f %.3f first_flip %.3f %.3f\n", ms(rest.wall), ms(rest.cpu),
                 ms(presented.wall - t0_ns), ms(presented.cpu));
    std::fflush(stderr);
    _exit(result == 0 ? 0 : 3);
}

}  // extern "C"

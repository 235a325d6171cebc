#include "base/sound.h"

#include <cstdio>
#include <vector>

#include <SDL_mixer.h>

#include "base/platform.h"
#include "base/wave_file.h"

namespace {

constexpr int kRate = 22050;  // the sound files' own rate: no conversion
constexpr int kMono = 1;
constexpr int kBufferSamples = 1024;  // 46 ms a mix
constexpr int kMusicChannel = 0;
constexpr int kAllChannels = -1;
constexpr int kForever = -1;
constexpr int kCatchSteps = kSoundCatchLast - kSoundCatch + 1;

constexpr const char* kSoundFiles[kSoundCount] = {
    "sounds/catch-1.wav",   "sounds/catch-2.wav",   "sounds/catch-3.wav",
    "sounds/catch-4.wav",   "sounds/catch-5.wav",   "sounds/catch-6.wav",
    "sounds/catch-7.wav",   "sounds/catch-8.wav",   "sounds/catch-9.wav",
    "sounds/coal.wav",      "sounds/mitten.wav",    "sounds/jump.wav",
    "sounds/throw.wav",     "sounds/turn-back.wav", "sounds/snowman-beaten.wav",
    "sounds/life-lost.wav", "sounds/level-completed.wav", "sounds/level-intro.wav",
    "sounds/last-life.wav", "sounds/music.wav",
};

// Each kind of sound has a channel of its own: a sound that comes again
// cuts its own last start (a catch's chime the one before), never another
// sound, and starting one never fails for want of a free channel.
constexpr int kSoundChannels[kSoundCount] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1,  // the nine catch chimes
    2, 3, 4, 5, 6, 7,           // coal, mitten, jump, throw, turn-back, snowman beaten
    8, 9, 10, 8,                // life lost, level completed, level intro, last life
    kMusicChannel,
};
constexpr int kChannels = 11;

Mix_Chunk* chunks[kSoundCount] = {};
bool sound_on = false;  // the mixer is open and every sound loaded
bool muted = false;
bool music_resting = false;

// Says why the game plays silently, on a line of its own after the
// caption (which has no line end).
void say_no_sound(const char* reason, const char* file)
{
    if (file != nullptr) {
        std::fprintf(stderr, "\nfrostrun: no sound: %s: %s\n", file, reason);
    } else {
        std::fprintf(stderr, "\nfrostrun: no sound: %s\n", reason);
    }
}

// Loads every sound; on the first failure frees what was loaded and
// answers false.
bool load_sounds()
{
    std::vector<Uint8> buffer;  // one read buffer for every file
    for (int id = 0; id < kSoundCount; ++id) {
        const char* problem = nullptr;
        chunks[id] = load_wave_file(kSoundFiles[id], buffer, &problem);
        if (chunks[id] == nullptr) {
            say_no_sound(problem, kSoundFiles[id]);
            for (int loaded = 0; loaded < id; ++loaded) {
                Mix_FreeChunk(chunks[loaded]);
                chunks[loaded] = nullptr;
            }
            return false;
        }
    }
    return true;
}

void set_volume() { Mix_Volume(kAllChannels, muted ? 0 : MIX_MAX_VOLUME); }

}  // namespace

void start_sound(bool start_muted)
{
    muted = start_muted;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        say_no_sound(SDL_GetError(), nullptr);
        return;
    }
    if (Mix_OpenAudio(kRate, AUDIO_S16SYS, kMono, kBufferSamples) != 0) {
        say_no_sound(Mix_GetError(), nullptr);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(kChannels);
    if (!load_sounds()) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    sound_on = true;
    set_volume();
    platform::play_sound(kSoundMusic, kSoundChannels[kSoundMusic], chunks[kSoundMusic], kForever);
}

void play_sound(SoundId sound)
{
    if (sound_on) {
        platform::play_sound(sound, kSoundChannels[sound], chunks[sound], 0);
    }
}

void play_catch(int icons)
{
    const int step = icons < 1 ? 1 : icons > kCatchSteps ? kCatchSteps : icons;
    play_sound(static_cast<SoundId>(kSoundCatch + step - 1));
}

void rest_music()
{
    if (sound_on) {
        Mix_Pause(kMusicChannel);
        music_resting = true;
    }
}

void resume_music()
{
    if (sound_on) {
        Mix_Resume(kMusicChannel);
        music_resting = false;
    }
}

void pause_sound()
{
    if (sound_on) {
        Mix_Pause(kAllChannels);
    }
}

void resume_sound()
{
    if (sound_on) {
        Mix_Resume(kAllChannels);
        if (music_resting) {
            Mix_Pause(kMusicChannel);
        }
    }
}

bool take_sound_key(const SDL_Event* event)
{
    if (event->type != SDL_KEYDOWN || event->key.keysym.sym != SDLK_m) {
        return false;
    }
    muted = !muted;
    if (sound_on) {
        set_volume();
    }
    return true;
}

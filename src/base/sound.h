// The game's sound: effects started in the frame of their event, one
// looping tune on a channel of its own, and the player's mute switch.
// Everything is loaded at start-up; a frame's sound work is starting or
// pausing a channel, never loading, mixing or allocating. Without an audio
// device, a mixer or a sound file the game plays on silently.
#pragma once

#include <SDL.h>

// Every sound of the game. The nine catch steps follow each other: a catch
// that brings the progress column to k icons plays kSoundCatch + k - 1.
enum SoundId {
    kSoundCatch,
    kSoundCatchLast = kSoundCatch + 8,
    kSoundCoal,
    kSoundMitten,
    kSoundJump,
    kSoundThrow,
    kSoundTurnBack,
    kSoundSnowmanBeaten,
    kSoundLifeLost,
    kSoundLevelCompleted,
    kSoundLevelIntro,
    kSoundLastLife,
    kSoundMusic,
    kSoundCount
};

// Starts the audio system after the video (SDL_InitSubSystem), opens the
// mixer, loads every sound from "sounds/" in the working directory and
// starts the music. `muted` starts with every channel silent; the device
// is opened all the same and the music runs, so that the m key can bring
// sound in at any time. When anything fails, one line on standard error,
// "frostrun: no sound: <reason>", and every call below does nothing.
void start_sound(bool muted);

// Starts an effect on its kind's own channel, cutting that kind's last one.
void play_sound(SoundId sound);

// The chime of a snowflake caught with `icons` (1 to 9) now in the
// progress column; its pitch rises one step of a scale per icon.
void play_catch(int icons);

// The music rests (the level intro, the crash sequence) and goes on from
// where it rested.
void rest_music();
void resume_music();

// For a game that pauses: every channel, music and effects, stops where it
// is, and goes on from there. The music stays resting if it was.
void pause_sound();
void resume_sound();

// Takes the m key: toggles mute and answers true; any other event answers
// false and is left to the caller. The key is taken before the direction
// table, so it never stands for a direction.
bool take_sound_key(const SDL_Event* event);

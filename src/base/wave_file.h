// Sound files as the game takes them: read whole, their RIFF/WAVE structure
// checked here, then handed to SDL_mixer from memory. SDL 1.2's loader
// reads format fields past a short format chunk, and SDL_mixer 1.2's
// closes its stream twice when loading fails; a file that passes the check
// below is one that neither can trip over, and the stream is the game's.
#pragma once

#include <cstddef>
#include <vector>

#include <SDL.h>
#include <SDL_mixer.h>

// The largest sound file the game reads.
constexpr std::size_t kMostWaveBytes = 1 << 20;

// What is wrong with the RIFF/WAVE file held in `bytes`, or null when it is
// plain 16-bit PCM (1 or 2 channels, 8000 to 48000 Hz) whose chunks all lie
// inside it: only LIST or fact chunks before the format, the format chunk
// of at least 16 bytes, then the sound data, whole sample frames.
const char* wave_problem(const Uint8* bytes, std::size_t size);

// Checks `bytes` and hands them to SDL_mixer through a memory stream that
// is closed here. Answers the chunk, or null with `problem` saying why.
Mix_Chunk* load_wave(const Uint8* bytes, std::size_t size, const char** problem);

// Reads the file `path` whole into `buffer` (the caller's, kept for the
// next file) and loads it as load_wave does.
Mix_Chunk* load_wave_file(const char* path, std::vector<Uint8>& buffer, const char** problem);

// Damaged sound files, made from the real ones, through the game's check
// and, when it passes, SDL_mixer. Under the sanitizers (leak checking on)
// nothing may overflow, leak or crash; a file the check passes loads, and
// one it refuses never reaches the mixer.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "base/wave_file.h"
#include "support/harness.h"

namespace {

using Bytes = std::vector<Uint8>;
int cases = 0;
int accepted = 0;

Bytes read_file(const char* name)
{
    std::ifstream in(std::string(FROSTRUN_ASSET_DIR) + "/sounds/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put32(Bytes& bytes, std::size_t at, Uint32 value)
{
    for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<Uint8>(value >> (8 * i));
    }
}

// Loads one case from a buffer of exactly its size; answers whether it loaded.
bool loads(const Bytes& bytes)
{
    const bool passes = wave_problem(bytes.data(), bytes.size()) == nullptr;
    const char* problem = nullptr;
    Mix_Chunk* chunk = load_wave(bytes.data(), bytes.size(), &problem);
    EXPECT_EQ(chunk != nullptr, passes) << (problem != nullptr ? problem : "");
    cases += 1;
    accepted += passes;
    Mix_FreeChunk(chunk);
    return chunk != nullptr;
}

}  // namespace

TEST(WaveFile, DamagedFilesAreRefusedOrLoadSafely)
{
    harness::use_dummy_drivers();
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024), 0) << Mix_GetError();
    for (const char* name : {"jump.wav", "catch-9.wav", "coal.wav", "music.wav"}) {
        const Bytes real = read_file(name);
        EXPECT_TRUE(loads(real)) << name;
        // Every truncation of the headers, then every 61st byte on.
        for (std::size_t size = 0; size < real.size(); size += size < 64 ? 1 : 61) {
            loads(Bytes(real.begin(), real.begin() + static_cast<long>(size)));
        }
    }
    // Each field of the headers set to values at and around its edges.
    const Bytes jump = read_file("jump.wav");
    const Uint32 size = static_cast<Uint32>(jump.size());
    for (std::size_t at = 4; at + 4 <= 44; at += 2) {
        for (Uint32 value : {0u, 1u, 2u, 15u, 16u, 17u, 18u, 0xFFFFu, 8000u, size - 44, size - 43,
                             size - 8, size, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x10001u, 0x20002u}) {
            Bytes bytes = jump;
            put32(bytes, at, value);
            loads(bytes);
        }
    }
    // A chunk in front of the format: a LIST or fact chunk is read; one of
    // odd length, of another kind or running past the end is refused.
    for (const char* kind : {"LIST", "fact", "junk", "data", "fmt "}) {
        for (Uint32 length : {3u, 4u, 0x7FFFFFF0u}) {
            Bytes bytes(jump.begin(), jump.begin() + 12);
            bytes.insert(bytes.end(), kind, kind + 4);
            bytes.resize(bytes.size() + 8);
            put32(bytes, 16, length);
            bytes.insert(bytes.end(), jump.begin() + 12, jump.end());
            put32(bytes, 4, static_cast<Uint32>(bytes.size() - 8));
            const bool read = length == 4 && (kind[0] == 'L' || kind[0] == 'f') && kind[1] != 'm';
            EXPECT_EQ(loads(bytes), read) << kind << length;
        }
    }
    // Random bytes in the headers, from a fixed seed.
    std::uint32_t seed = 12345;
    for (int trial = 0; trial < 3000; ++trial) {
        Bytes bytes = jump;
        for (int flip = 0; flip <= trial % 3; ++flip) {
            seed = seed * 1664525u + 1013904223u;
            bytes[(seed >> 8) % 48] = static_cast<Uint8>(seed >> 24);
        }
        loads(bytes);
    }
    EXPECT_GT(cases, 9000);
    EXPECT_GT(accepted, 100);  // the mixer itself met many files
    Mix_CloseAudio();
    SDL_Quit();
}

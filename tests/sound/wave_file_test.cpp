// Damaged sound files, made from the real ones: every case goes through the
// game's check and, when it passes, to SDL_mixer. Run under the sanitizers
// (leak checking on), nothing may overflow, leak or crash; a file the check
// passes loads, and one it refuses never reaches the mixer.
#include <cstdint>
#include <cstring>
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

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put32(Bytes& bytes, std::size_t at, Uint32 value)
{
    for (int i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<Uint8>(value >> (8 * i));
    }
}

// Loads one case from a buffer of exactly its size; answers whether it loaded.
bool loads(const Bytes& bytes, int& accepted)
{
    const Bytes exact(bytes);
    const bool passes = wave_problem(exact.data(), exact.size()) == nullptr;
    const char* problem = nullptr;
    Mix_Chunk* chunk = load_wave(exact.data(), exact.size(), &problem);
    EXPECT_EQ(chunk != nullptr, passes) << (problem != nullptr ? problem : "");
    accepted += passes;
    if (chunk != nullptr) {
        Mix_FreeChunk(chunk);
    }
    return chunk != nullptr;
}

}  // namespace

TEST(WaveFile, DamagedFilesAreRefusedOrLoadSafely)
{
    harness::use_dummy_drivers();
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024), 0) << Mix_GetError();
    const std::string folder = std::string(FROSTRUN_ASSET_DIR) + "/sounds/";
    const Bytes jump = read_file(folder + "jump.wav");
    ASSERT_GT(jump.size(), 44u);
    int cases = 0;
    int accepted = 0;
    for (const char* name : {"jump.wav", "catch-9.wav", "coal.wav", "music.wav"}) {
        const Bytes real = read_file(folder + name);
        EXPECT_TRUE(loads(real, accepted)) << name;
        // Every truncation of the headers, then every 61st byte on.
        for (std::size_t size = 0; size < real.size(); size += size < 64 ? 1 : 61) {
            loads(Bytes(real.begin(), real.begin() + static_cast<long>(size)), accepted);
            cases += 1;
        }
    }
    // Each field of the headers set to values at and around its edges.
    const Uint32 size = static_cast<Uint32>(jump.size());
    const Uint32 values[] = {0,      1,    2,         15,         16,        17,     18,
                             0xFFFF, 8000, size - 44, size - 43,  size - 8,  size,   0x7FFFFFFF,
                             0xFFFFFFFF, 0x00010001, 0x00020001, 0x10001, 0x20002, 22050 * 4};
    for (std::size_t at = 4; at + 4 <= 44; at += 2) {
        for (Uint32 value : values) {
            Bytes bytes = jump;
            put32(bytes, at, value);
            loads(bytes, accepted);
            cases += 1;
        }
    }
    // Chunks of other kinds in front of the format: LIST and fact are read,
    // odd lengths and unknown kinds refused.
    for (const char* kind : {"LIST", "fact", "junk", "data", "fmt "}) {
        for (Uint32 length : {0u, 3u, 4u, 0x7FFFFFF0u}) {
            Bytes bytes(jump.begin(), jump.begin() + 12);
            bytes.insert(bytes.end(), kind, kind + 4);
            bytes.resize(bytes.size() + 4 + (length < 16 ? length : 16));
            put32(bytes, 16, length);
            bytes.insert(bytes.end(), jump.begin() + 12, jump.end());
            put32(bytes, 4, static_cast<Uint32>(bytes.size() - 8));
            const bool whole = length == 4 && (kind[0] == 'L' || kind[0] == 'f');
            EXPECT_EQ(loads(bytes, accepted), whole && kind[1] != 'm') << kind << length;
            cases += 1;
        }
    }
    // Random bytes in the headers, from a fixed seed.
    std::uint32_t seed = 12345;
    for (int trial = 0; trial < 3000; ++trial) {
        Bytes bytes = jump;
        for (int flips = 0; flips < 1 + trial % 3; ++flips) {
            seed = seed * 1664525u + 1013904223u;
            bytes[(seed >> 8) % 48] = static_cast<Uint8>(seed >> 24);
        }
        loads(bytes, accepted);
        cases += 1;
    }
    EXPECT_GT(cases, 7000);
    EXPECT_GT(accepted, 100);  // the loader itself met many files
    Mix_CloseAudio();
    SDL_Quit();
}

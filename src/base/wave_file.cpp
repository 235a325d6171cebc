#include "base/wave_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kRiffHeader = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeader = 8;  // name, length
constexpr Uint32 kFormatBytes = 16;      // what SDL reads of a format chunk
constexpr Uint16 kPcm = 1;
constexpr Uint16 kBitsPerSample = 16;
constexpr Uint32 kLowestRate = 8000;
constexpr Uint32 kHighestRate = 48000;

Uint16 le16(const Uint8* at) { return static_cast<Uint16>(at[0] | at[1] << 8); }

Uint32 le32(const Uint8* at)
{
    return static_cast<Uint32>(at[0]) | static_cast<Uint32>(at[1]) << 8 |
           static_cast<Uint32>(at[2]) << 16 | static_cast<Uint32>(at[3]) << 24;
}

bool named(const Uint8* at, const char* name) { return std::memcmp(at, name, 4) == 0; }

// What is wrong with a format chunk's fields, or null; `block` gets the
// bytes of one sample frame.
const char* format_problem(const Uint8* format, Uint32 length, Uint32& block)
{
    if (length < kFormatBytes) {
        return "format chunk too short";
    }
    const Uint16 channels = le16(format + 2);
    const Uint32 rate = le32(format + 4);
    block = static_cast<Uint32>(channels) * (kBitsPerSample / 8);
    if (le16(format) != kPcm || le16(format + 14) != kBitsPerSample) {
        return "not 16-bit PCM";
    }
    if (channels < 1 || channels > 2 || rate < kLowestRate || rate > kHighestRate) {
        return "unsupported channels or rate";
    }
    if (le16(format + 12) != block || le32(format + 8) != rate * block) {
        return "inconsistent format fields";
    }
    return nullptr;
}

}  // namespace

const char* wave_problem(const Uint8* bytes, std::size_t size)
{
    if (size < kRiffHeader || !named(bytes, "RIFF") || !named(bytes + 8, "WAVE")) {
        return "not a RIFF/WAVE file";
    }
    if (size > kMostWaveBytes) {
        return "file too large";
    }
    const std::size_t riff_size = le32(bytes + 4);
    if (riff_size < 4 || riff_size > size - 8) {
        return "RIFF size past the end of the file";
    }
    const std::size_t end = 8 + riff_size;
    Uint32 block = 0;
    for (std::size_t at = kRiffHeader; at + kChunkHeader <= end;) {
        const Uint8* chunk = bytes + at;
        const std::size_t length = le32(chunk + 4);
        if (length > end - at - kChunkHeader) {
            return "chunk past the end of the file";
        }
        if (named(chunk, "data")) {
            if (block == 0) {
                return "sound data before its format";
            }
            return length == 0 || length % block != 0 ? "bad sound data length" : nullptr;
        }
        if (named(chunk, "fmt ")) {
            if (block != 0) {
                return "two format chunks";
            }
            const char* problem = format_problem(chunk + kChunkHeader,
                                                 static_cast<Uint32>(length), block);
            if (problem != nullptr) {
                return problem;
            }
        } else if (block == 0 && !named(chunk, "LIST") && !named(chunk, "fact")) {
            return "unsupported chunk before the format";
        }
        // SDL 1.2 reads the next chunk right after this one's bytes, with
        // no pad byte: an odd length would shift every later chunk.
        if (length % 2 != 0 || length == 0) {
            return "chunk of odd or zero length";
        }
        at += kChunkHeader + length;
    }
    return block == 0 ? "no format chunk" : "no sound data";
}

Mix_Chunk* load_wave(const Uint8* bytes, std::size_t size, const char** problem)
{
    *problem = wave_problem(bytes, size);
    if (*problem != nullptr) {
        return nullptr;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr) {
        *problem = SDL_GetError();
        return nullptr;
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(stream, 0);
    SDL_RWclose(stream);
    if (chunk == nullptr) {
        *problem = Mix_GetError();
    }
    return chunk;
}

Mix_Chunk* load_wave_file(const char* path, std::vector<Uint8>& buffer, const char** problem)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        *problem = std::strerror(errno);
        return nullptr;
    }
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        length = std::ftell(file);
        std::rewind(file);
    }
    const bool too_large = length > static_cast<long>(kMostWaveBytes);
    if (length >= 0 && !too_large) {
        buffer.resize(static_cast<std::size_t>(length));
    }
    const bool read = length >= 0 && !too_large &&
                      std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size();
    std::fclose(file);
    if (!read) {
        *problem = too_large ? "file too large" : "cannot be read";
        return nullptr;
    }
    return load_wave(buffer.data(), buffer.size(), problem);
}

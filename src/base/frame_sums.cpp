#include "base/frame_sums.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/demo_input.h"

namespace {

std::FILE* sums = nullptr;
char sums_buffer[8192];  // set up front: no allocation while playing

}  // namespace

bool start_frame_sums(const char* path)
{
    sums = std::fopen(path, "we");
    if (sums != nullptr) {
        std::setvbuf(sums, sums_buffer, _IOFBF, sizeof sums_buffer);
    }
    return sums != nullptr;
}

void sum_presented_picture(SDL_Surface* picture)
{
    if (sums == nullptr) {
        return;
    }
    std::uint64_t sum = 14695981039346656037ull;
    SDL_LockSurface(picture);
    const int words = picture->w * picture->format->BytesPerPixel / 4;
    for (int y = 0; y < picture->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        for (int i = 0; i < words; ++i) {
            std::uint32_t word;
            std::memcpy(&word, row + 4 * i, 4);
            sum = (sum ^ word) * 1099511628211ull;
        }
    }
    SDL_UnlockSurface(picture);
    std::fprintf(sums, "%d %016llx\n", input_frame(), static_cast<unsigned long long>(sum));
}

void finish_frame_sums()
{
    if (sums != nullptr && std::fclose(sums) != 0) {
        std::perror("frostrun: cannot write the frame sums");
    }
    sums = nullptr;
}

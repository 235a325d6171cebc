#include <cstdint>
#include <cstdlib>

#include <gtest/gtest.h>

#include "base/random_numbers.h"

namespace {

constexpr int kCount = 10000000;
// FNV-1a (64 bits) over the first ten million numbers of an unseeded
// rand() in the GNU C library, each as four bytes, low byte first.
constexpr std::uint64_t kGlibcDigest = 0xa9c3158f869daa28ull;

}  // namespace

// The game's numbers are those of glibc's unseeded rand(): compared with
// rand() itself where the C library is glibc, and with the digest of its
// numbers everywhere; a reset starts the sequence again.
TEST(RandomNumbers, TenMillionAsGlibcRand)
{
    next_random();
    reset_random();
#ifdef __GLIBC__
    std::srand(1);
#endif
    std::uint64_t digest = 14695981039346656037ull;
    int differing = 0;
    for (int i = 0; i < kCount; ++i) {
        const auto number = static_cast<std::uint32_t>(next_random());
#ifdef __GLIBC__
        differing += number != static_cast<std::uint32_t>(std::rand());
#endif
        for (int byte = 0; byte < 4; ++byte) {
            digest = (digest ^ ((number >> (8 * byte)) & 0xFF)) * 1099511628211ull;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(digest, kGlibcDigest);
}

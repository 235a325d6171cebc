#include "base/random_numbers.h"

#include <array>
#include <cstdint>

namespace {

// An additive feedback generator: 31 words, each new word the sum of the
// words 3 and 31 places back, in unsigned 32-bit arithmetic; the number
// answered is the new word without its lowest bit.
constexpr int kWords = 31;
constexpr int kLag = 3;
constexpr int kWarmUp = 310;  // numbers drawn and dropped after seeding

using Words = std::array<std::uint32_t, kWords>;

struct Generator {
    Words words;
    int front;  // the word that takes the sum
    int rear;   // the word 31 places back
};

// Adds the word behind to the word in front and moves both on.
constexpr std::uint32_t step(Generator& generator)
{
    generator.words[generator.front] += generator.words[generator.rear];
    const std::uint32_t number = generator.words[generator.front] >> 1;
    generator.front = generator.front + 1 == kWords ? 0 : generator.front + 1;
    generator.rear = generator.rear + 1 == kWords ? 0 : generator.rear + 1;
    return number;
}

// The state after seeding with 1: the words from a multiplicative
// congruential generator (16807 x modulo 2^31 - 1, in signed arithmetic
// by Schrage's method), then the warm-up numbers dropped.
constexpr Generator seeded()
{
    Generator generator{Words{}, kLag, 0};
    std::int32_t word = 1;
    generator.words[0] = 1;
    for (int i = 1; i < kWords; ++i) {
        const std::int32_t high = word / 127773;
        const std::int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) {
            word += 2147483647;
        }
        generator.words[i] = static_cast<std::uint32_t>(word);
    }
    for (int i = 0; i < kWarmUp; ++i) {
        step(generator);
    }
    return generator;
}

constexpr Generator kStart = seeded();

Generator generator = kStart;

}  // namespace

int next_random() { return static_cast<int>(step(generator)); }

void reset_random() { generator = kStart; }

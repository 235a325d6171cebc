// Particle bursts where falling objects end their run.
#pragma once

#include <cstdint>

#include <SDL.h>

// Modes of burst_effect.
constexpr int kBurstStart = 1;
constexpr int kBurstStep = 2;

constexpr int kBurstSlots = 11;
constexpr int kFountainParticles = 61;

// One slot of the burst table. A puff uses only the origin, right_next,
// kind and life; a fountain everything but right_next.
struct BurstRecord {
    std::int32_t origin_x;
    std::int32_t origin_y;
    std::int32_t particle_x[kFountainParticles];
    std::int32_t particle_y[kFountainParticles];
    std::int32_t falling;
    std::int32_t right_next;
    std::int32_t kind;  // 0 puff, 1 fountain
    std::int32_t life;  // step calls still to draw; 0 = free slot
};

// Start (mode 1): a puff at (x, y) when y is 450 or less, else a fountain,
// in the lowest free slot (dropped when none is free). Step (mode 2):
// advances and draws every running burst. Other modes do nothing.
void burst_effect(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int x, int y,
                  int mode);

// The burst table, read-only, for tools that watch a run.
const BurstRecord* burst_slots();

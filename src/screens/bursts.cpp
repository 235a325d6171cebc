#include "screens/bursts.h"

#include "base/random_numbers.h"

#include "base/blit_shortcuts.h"
#include "base/surfaces.h"

namespace {

constexpr std::int32_t kPuff = 0;
constexpr std::int32_t kFountain = 1;
constexpr int kPuffLife = 30;
constexpr int kFountainLife = 120;
constexpr int kPuffParticles = 60;
constexpr int kLowestPuff = 450;  // a burst started below this row is a fountain

// The strips a burst's end puts back: right of a fountain's origin, and
// over a puff's 30 x 30 box with a pixel's margin.
constexpr Uint16 kFountainStripWidth = 121;
constexpr Uint16 kFountainStripHeight = 30;
constexpr Uint16 kPuffBox = 30;
constexpr Uint16 kPuffEndBox = 32;
constexpr std::int32_t kBurstWidth = 30;  // fountain particles start across it
constexpr std::int32_t kPuffCentre = kBurstWidth / 2;  // a puff's centre column

// The burst table; every right_next starts at 1.
constexpr BurstRecord make_empty_slot()
{
    BurstRecord slot{};
    slot.right_next = 1;
    return slot;
}

BurstRecord burst_table[kBurstSlots] = {
    make_empty_slot(), make_empty_slot(), make_empty_slot(), make_empty_slot(),
    make_empty_slot(), make_empty_slot(), make_empty_slot(), make_empty_slot(),
    make_empty_slot(), make_empty_slot(), make_empty_slot(),
};

SDL_Rect screen_rect(std::int32_t x, std::int32_t y, Uint16 w, Uint16 h)
{
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), w, h};
}

void start_burst(std::int32_t x, std::int32_t y)
{
    for (BurstRecord& slot : burst_table) {
        if (slot.life != 0) {
            continue;
        }
        slot.origin_x = x;
        slot.origin_y = y;
        if (y <= kLowestPuff) {
            slot.kind = kPuff;
            slot.life = kPuffLife;
            return;
        }
        slot.kind = kFountain;
        slot.life = kFountainLife;
        for (int j = 0; j < kFountainParticles; ++j) {
            slot.particle_x[j] = x + next_random() % kBurstWidth;
            slot.particle_y[j] = y + kBurstWidth;
        }
        slot.falling = 0;
        return;
    }
}

// One frame of a fountain: the particles rise until the first of them
// reaches the origin row, then all fall, drifting sideways as they go.
void step_fountain(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   BurstRecord& slot)
{
    for (int j = 0; j < kFountainParticles; ++j) {
        restore_pixel(screen, backdrop, slot.particle_x[j], slot.particle_y[j]);
    }
    for (int j = 0; j < kFountainParticles; ++j) {
        if (slot.origin_y >= slot.particle_y[j]) {
            slot.falling = 1;
        }
        if (slot.falling == 1) {
            slot.particle_y[j] += next_random() % 4;
        } else {
            slot.particle_y[j] -= next_random() % 4;
        }
        if (j % 2 == 1) {
            slot.particle_x[j] += next_random() % 2;
        } else {
            slot.particle_x[j] -= next_random() % 2;
        }
        draw_sheet_pixel(screen, sprites, slot.particle_x[j], slot.particle_y[j]);
    }
    slot.life -= 1;
    if (slot.life == 0) {
        restore_area(screen, backdrop,
                     screen_rect(slot.origin_x - 1, slot.origin_y, kFountainStripWidth,
                                 kFountainStripHeight));
    }
}

// One frame of a puff: 60 particles spread about the centre column, wider
// and deeper frame by frame (up to 15 columns aside and 30 rows down in
// its last), alternately right and left of it.
void step_puff(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
               BurstRecord& slot)
{
    restore_area(screen, backdrop, screen_rect(slot.origin_x, slot.origin_y, kPuffBox, kPuffBox));
    for (int n = 0; n < kPuffParticles; ++n) {
        const std::int32_t offset = next_random() % (kPuffLife / 2 + 1 - slot.life / 2);
        std::int32_t column = 0;
        if (slot.right_next == 1) {
            slot.right_next = 0;
            column = slot.origin_x + kPuffCentre + offset;
        } else {
            slot.right_next = 1;
            column = slot.origin_x + kPuffCentre - offset;
        }
        const std::int32_t row = slot.origin_y + next_random() % (kPuffLife + 1 - slot.life);
        draw_sheet_pixel(screen, sprites, column, row);
    }
    slot.life -= 1;
    if (slot.life == 0) {
        restore_area(screen, backdrop,
                     screen_rect(slot.origin_x - 1, slot.origin_y, kPuffEndBox, kPuffEndBox));
    }
}

}  // namespace

void burst_effect(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int x, int y,
                  int mode)
{
    if (mode == kBurstStart) {
        start_burst(x, y);
        return;
    }
    if (mode != kBurstStep) {
        return;
    }
    for (BurstRecord& slot : burst_table) {
        if (slot.life == 0) {
            continue;
        }
        if (slot.kind == kFountain) {
            step_fountain(screen, sprites, backdrop, slot);
        } else {
            step_puff(screen, sprites, backdrop, slot);
        }
    }
}

const BurstRecord* burst_slots() { return burst_table; }

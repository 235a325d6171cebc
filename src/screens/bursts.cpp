#include "screens/bursts.h"

#include <cstdlib>

#include "base/surfaces.h"

namespace {

constexpr std::int32_t kPuff = 0;
constexpr std::int32_t kFountain = 1;
constexpr int kPuffLife = 30;
constexpr int kFountainLife = 120;
constexpr int kPuffParticles = 60;
constexpr int kLowestPuff = 450;  // a burst started below this row is a fountain

// Every particle is the sheet's top-left pixel.
constexpr SDL_Rect kParticlePixel = {0, 0, 1, 1};

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

Uint16& pixel_at(SDL_Surface* surface, int x, int y)
{
    Uint8* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<Uint16*>(row)[x];
}

// Whether a one-pixel blit to `place` reaches the screen: the screen's
// clip area holds it.
bool in_clip_area(const SDL_Surface* screen, const SDL_Rect& place)
{
    const SDL_Rect& clip = screen->clip_rect;
    return place.x >= clip.x && place.x < clip.x + clip.w && place.y >= clip.y &&
           place.y < clip.y + clip.h;
}

// How a step puts the particle pixel on the screen. A one-pixel blit costs
// SDL far more in clipping and set-up than the pixel itself, and every
// particle is the same copy of the sheet's pixel (0, 0); so each step asks
// SDL once, on one pixel of the screen, what that copy does there, and
// repeats the answer for every particle: nothing (the pixel is the sheet's
// colour key, or the sheet is empty), or the one value it writes. Where
// that cannot be known, every particle is blitted.
struct ParticleInk {
    enum Kind { kBlit, kNothing, kValue } kind = kBlit;
    Uint16 value = 0;
};

// Blits the particle pixel twice onto the first pixel of the screen's clip
// area, once over all-zero and once over all-one bits, and puts that pixel
// back. Without blending a blit either leaves a pixel alone or writes one
// value whatever lay beneath, and the two probes tell which. Keeps the blit
// for a sheet that blends (SDL_SRCALPHA), for a screen whose pixels are not
// 16-bit memory open to writing without a lock, and for an empty clip area.
ParticleInk learn_particle_ink(SDL_Surface* screen, SDL_Surface* sprites)
{
    const SDL_Rect clip = screen->clip_rect;
    if (screen->format->BytesPerPixel != 2 || SDL_MUSTLOCK(screen) ||
        (sprites->flags & SDL_SRCALPHA) != 0 || clip.w == 0 || clip.h == 0) {
        return {};
    }
    Uint16& probe = pixel_at(screen, clip.x, clip.y);
    const Uint16 kept = probe;
    const Uint16 under[2] = {0x0000, 0xFFFF};
    Uint16 seen[2];
    for (int i = 0; i < 2; ++i) {
        probe = under[i];
        SDL_Rect source = kParticlePixel;
        SDL_Rect place = {clip.x, clip.y, 1, 1};
        SDL_UpperBlit(sprites, &source, screen, &place);
        seen[i] = probe;
    }
    probe = kept;
    if (seen[0] == under[0] && seen[1] == under[1]) {
        return {ParticleInk::kNothing, 0};
    }
    if (seen[0] == seen[1]) {
        return {ParticleInk::kValue, seen[0]};
    }
    return {};
}

void draw_particle(SDL_Surface* screen, SDL_Surface* sprites, const ParticleInk& ink,
                   std::int32_t x, std::int32_t y)
{
    SDL_Rect place = screen_rect(x, y, 1, 1);
    if (ink.kind == ParticleInk::kBlit) {
        SDL_Rect source = kParticlePixel;
        SDL_UpperBlit(sprites, &source, screen, &place);
        return;
    }
    // Clipped as the blit clips: the position narrowed to the rectangle's
    // 16 bits, against the screen's clip area.
    if (ink.kind == ParticleInk::kValue && in_clip_area(screen, place)) {
        pixel_at(screen, place.x, place.y) = ink.value;
    }
}

// Whether blits from the backdrop copy pixel values as they are, except
// one equal to its colour key: so they do from a backdrop held in the
// screen's own 16-bit format (as the game holds an opaque one) that does
// not blend, where neither surface needs a lock.
bool erases_by_value(const SDL_Surface* screen, const SDL_Surface* backdrop)
{
    const SDL_PixelFormat& from = *backdrop->format;
    const SDL_PixelFormat& to = *screen->format;
    return to.BytesPerPixel == 2 && from.BytesPerPixel == 2 && from.Rmask == to.Rmask &&
           from.Gmask == to.Gmask && from.Bmask == to.Bmask && from.Amask == to.Amask &&
           (backdrop->flags & SDL_SRCALPHA) == 0 && !SDL_MUSTLOCK(screen) &&
           !SDL_MUSTLOCK(backdrop);
}

// Puts back the backdrop's pixel under a fountain particle. One-pixel
// blits are as dear here as in drawing, so where blits copy values the
// value is copied directly, clipped as the blit clips: to the backdrop,
// and to the screen's clip area.
void erase_particle(SDL_Surface* screen, SDL_Surface* backdrop, bool by_value, std::int32_t x,
                    std::int32_t y)
{
    const SDL_Rect area = screen_rect(x, y, 1, 1);
    if (!by_value) {
        restore_area(screen, backdrop, area);
        return;
    }
    if (area.x < 0 || area.x >= backdrop->w || area.y < 0 || area.y >= backdrop->h ||
        !in_clip_area(screen, area)) {
        return;
    }
    const Uint16 value = pixel_at(backdrop, area.x, area.y);
    if ((backdrop->flags & SDL_SRCCOLORKEY) == 0 || value != backdrop->format->colorkey) {
        pixel_at(screen, area.x, area.y) = value;
    }
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
            slot.particle_x[j] = x + std::rand() % 30;
            slot.particle_y[j] = y + 30;
        }
        slot.falling = 0;
        return;
    }
}

// One frame of a fountain: the particles rise until the first of them
// reaches the origin row, then all fall, drifting sideways as they go.
void step_fountain(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                   const ParticleInk& ink, BurstRecord& slot)
{
    const bool by_value = erases_by_value(screen, backdrop);
    for (int j = 0; j < kFountainParticles; ++j) {
        erase_particle(screen, backdrop, by_value, slot.particle_x[j], slot.particle_y[j]);
    }
    for (int j = 0; j < kFountainParticles; ++j) {
        if (slot.origin_y >= slot.particle_y[j]) {
            slot.falling = 1;
        }
        if (slot.falling == 1) {
            slot.particle_y[j] += std::rand() % 4;
        } else {
            slot.particle_y[j] -= std::rand() % 4;
        }
        if (j % 2 == 1) {
            slot.particle_x[j] += std::rand() % 2;
        } else {
            slot.particle_x[j] -= std::rand() % 2;
        }
        draw_particle(screen, sprites, ink, slot.particle_x[j], slot.particle_y[j]);
    }
    slot.life -= 1;
    if (slot.life == 0) {
        restore_area(screen, backdrop, screen_rect(slot.origin_x - 1, slot.origin_y, 121, 30));
    }
}

// One frame of a puff: 60 particles spread about the centre column, wider
// and deeper frame by frame, alternately right and left of it.
void step_puff(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
               const ParticleInk& ink, BurstRecord& slot)
{
    restore_area(screen, backdrop, screen_rect(slot.origin_x, slot.origin_y, 30, 30));
    for (int n = 0; n < kPuffParticles; ++n) {
        const std::int32_t offset = std::rand() % (16 - slot.life / 2);
        std::int32_t column = 0;
        if (slot.right_next == 1) {
            slot.right_next = 0;
            column = slot.origin_x + 15 + offset;
        } else {
            slot.right_next = 1;
            column = slot.origin_x + 15 - offset;
        }
        const std::int32_t row = slot.origin_y + std::rand() % (31 - slot.life);
        draw_particle(screen, sprites, ink, column, row);
    }
    slot.life -= 1;
    if (slot.life == 0) {
        restore_area(screen, backdrop, screen_rect(slot.origin_x - 1, slot.origin_y, 32, 32));
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
    ParticleInk ink;  // learnt afresh in every step that has a burst to draw
    bool ink_learned = false;
    for (BurstRecord& slot : burst_table) {
        if (slot.life == 0) {
            continue;
        }
        if (!ink_learned) {
            ink = learn_particle_ink(screen, sprites);
            ink_learned = true;
        }
        if (slot.kind == kFountain) {
            step_fountain(screen, sprites, backdrop, ink, slot);
        } else {
            step_puff(screen, sprites, backdrop, ink, slot);
        }
    }
}

const BurstRecord* burst_slots() { return burst_table; }

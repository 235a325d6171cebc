// Bursts through burst_effect and the burst table's accessor.
#include <cstdlib>
#include <vector>

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "screens/bursts.h"
#include "support/harness.h"

namespace {

constexpr int kPuff = 0;
constexpr int kFountain = 1;
constexpr int kPuffLife = 30;
constexpr int kFountainLife = 120;

void start(const harness::Surfaces& s, int x, int y)
{
    burst_effect(s.screen, s.sprites, s.backdrop, x, y, kBurstStart);
}

// Runs every burst to its end; answers the hash of each presented step.
std::vector<unsigned long long> run_out(const harness::Surfaces& s)
{
    std::vector<unsigned long long> steps;
    for (int step = 0; step < kFountainLife; ++step) {
        burst_effect(s.screen, s.sprites, s.backdrop, 0, 0, kBurstStep);
        steps.push_back(harness::picture_hash(s.screen));
    }
    return steps;
}

}  // namespace

// Row 450 and above starts a puff, below it a fountain, each in the lowest
// free slot; a start with every slot taken is dropped, other modes do
// nothing; every burst runs its life out and leaves the backdrop behind.
TEST(Bursts, StartsFillTheTableAndEndWithoutTrace)
{
    const harness::Surfaces s = harness::open_surfaces();
    const BurstRecord* slots = burst_slots();
    start(s, 100, 450);
    start(s, 200, 451);
    EXPECT_EQ(slots[0].kind, kPuff);
    EXPECT_EQ(slots[0].life, kPuffLife);
    EXPECT_EQ(slots[1].kind, kFountain);
    EXPECT_EQ(slots[1].life, kFountainLife);
    for (int slot = 2; slot < kBurstSlots; ++slot) {
        start(s, 50 * slot, 100);
    }
    start(s, 600, 460);
    burst_effect(s.screen, s.sprites, s.backdrop, 300, 460, 0);
    burst_effect(s.screen, s.sprites, s.backdrop, 300, 460, 3);
    for (int slot = 2; slot < kBurstSlots; ++slot) {
        EXPECT_EQ(slots[slot].kind, kPuff) << "slot " << slot << ": the twelfth was dropped";
    }
    run_out(s);
    for (int slot = 0; slot < kBurstSlots; ++slot) {
        EXPECT_EQ(slots[slot].life, 0) << slot;
    }
    EXPECT_TRUE(harness::shows_backdrop(s, {0, 0, 640, 480}));
}

// Particles written straight into the screen show exactly as blitted ones,
// at every edge of a clip area and where a far-off position wraps in the
// rectangle's 16 bits onto the screen. A sheet with per-surface alpha (at
// opaque, so no pixel blends) makes the game blit each particle.
TEST(Bursts, ParticlesShowAsBlitsAtTheEdges)
{
    const harness::Surfaces s = harness::open_surfaces();
    harness::Surfaces game = s;
    game.backdrop = SDL_ConvertSurface(s.backdrop, s.screen->format, SDL_SWSURFACE);
    harness::Surfaces blitted = s;
    blitted.sprites = IMG_Load(FROSTRUN_ASSET_DIR "/sprites.png");
    SDL_SetColorKey(blitted.sprites, SDL_SRCCOLORKEY, 0);
    SDL_SetAlpha(blitted.sprites, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    SDL_Rect clip = {3, 2, 630, 470};
    SDL_SetClipRect(s.screen, &clip);
    constexpr int kWrap = 65536;
    const int starts[][2] = {{-20, 100},        {620, 200},        {300, -25},
                             {300, 460},        {-25, 460},        {615, 470},
                             {kWrap + 200, 300}, {200 - kWrap, 100}, {300, kWrap + 100}};
    std::vector<unsigned long long> shown[2];
    for (int run = 0; run < 2; ++run) {
        const harness::Surfaces& surfaces = run == 0 ? game : blitted;
        SDL_UpperBlit(s.backdrop, nullptr, s.screen, nullptr);
        std::srand(1);
        for (const auto& at : starts) {
            start(surfaces, at[0], at[1]);
        }
        shown[run] = run_out(surfaces);
    }
    ASSERT_EQ(shown[0].size(), shown[1].size());
    for (size_t step = 0; step < shown[0].size(); ++step) {
        ASSERT_EQ(shown[0][step], shown[1][step]) << "step " << step + 1 << " differs";
    }
}

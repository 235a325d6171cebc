// Bursts through burst_effect: where a fountain begins, and particles at
// the edges of the screen's clip area.
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "base/blit_shortcuts.h"
#include "screens/bursts.h"
#include "support/harness.h"

namespace {

constexpr int kFountainLife = 120;

void start(const harness::Surfaces& s, int x, int y)
{
    burst_effect(s.screen, s.sprites, s.backdrop, x, y, kBurstStart);
}

}  // namespace

// A burst started at row 450 or above is a puff of 30 steps, below it a
// fountain of 120, each in the lowest free slot.
TEST(Bursts, Row450StartsAPuffRow451AFountain)
{
    const harness::Surfaces s = harness::open_surfaces();
    start(s, 100, 450);
    start(s, 200, 451);
    const BurstRecord* slots = burst_slots();
    EXPECT_EQ(slots[0].life, 30) << "a puff at row 450";
    EXPECT_EQ(slots[1].life, kFountainLife) << "a fountain at row 451";
}

// Particles written straight into the screen show exactly as blitted ones,
// at every edge of a clip area and where a far-off position wraps in the
// rectangle's 16 bits onto the screen: the bursts run first with every
// particle blitted (nothing learnt yet), then with the game's shortcuts.
TEST(Bursts, ParticlesShowAsBlitsAtTheEdges)
{
    harness::Surfaces s = harness::open_surfaces();
    SDL_Rect clip = {3, 2, 630, 470};
    SDL_SetClipRect(s.screen, &clip);
    constexpr int kWrap = 65536;
    const int starts[][2] = {{-20, 100},        {620, 200},        {300, -25},
                             {300, 460},        {-25, 460},        {615, 470},
                             {kWrap + 200, 300}, {200 - kWrap, 100}, {300, kWrap + 100}};
    std::vector<unsigned long long> shown[2];
    for (int run = 0; run < 2; ++run) {
        if (run == 1) {
            prepare_blit_shortcuts(s.screen, s.sprites, s.backdrop);
        }
        SDL_UpperBlit(s.backdrop, nullptr, s.screen, nullptr);
        std::srand(1);
        for (const auto& at : starts) {
            start(s, at[0], at[1]);
        }
        for (int step = 0; step < kFountainLife; ++step) {  // every burst to its end
            burst_effect(s.screen, s.sprites, s.backdrop, 0, 0, kBurstStep);
            shown[run].push_back(harness::picture_hash(s.screen));
        }
    }
    ASSERT_EQ(shown[0].size(), shown[1].size());
    for (size_t step = 0; step < shown[0].size(); ++step) {
        EXPECT_EQ(shown[0][step], shown[1][step]) << "step " << step + 1 << " differs";
    }
    SDL_FreeSurface(s.backdrop);  // the held copy
}

#include "screens/level_intro.h"

#include "base/gamepad.h"
#include "base/input.h"
#include "base/keyboard.h"
#include "base/platform.h"
#include "base/sound.h"
#include "base/surfaces.h"
#include "screens/score_display.h"

namespace {

constexpr SDL_Rect kBanner = {0, 340, 500, 25};
constexpr Sint16 kBannerX = 50;
constexpr Sint16 kBannerY = 200;
constexpr Sint16 kTensX = 550;
constexpr Sint16 kOnesX = 570;
constexpr Sint16 kDigitY = 202;
constexpr Uint16 kGlyphW = 13;
constexpr Uint16 kGlyphH = 21;
constexpr Sint16 kGlyphPitch = 15;
constexpr Uint32 kPulseMs = 100;
// The intro's call sounds after the level's fanfare has rung out, and
// again every five seconds while the player waits.
constexpr int kFirstCallPulse = 8;
constexpr int kCallPulses = 50;

// The four looks of the digits, visited up and down one row per pulse
// step, starting from the first look at every call.
constexpr Sint16 kGlyphRows[4] = {370, 392, 414, 436};
constexpr int kPulseCycle[6] = {1, 2, 3, 2, 1, 0};

// Ordinary falling objects of levels 1 to 6.
constexpr int kObjectCounts[7] = {0, 10, 8, 6, 4, 2, 1};

int intro_tens = 0;
int intro_ones = 1;
int intro_count = 0;

// The glyph of a digit in one look (row of the sheet).
SDL_Rect glyph(int digit, Sint16 row)
{
    return SDL_Rect{static_cast<Sint16>(kGlyphPitch * shown_digit(digit)), row, kGlyphW, kGlyphH};
}

// Draws both digits in their next look and shows them for one pause.
void pulse(SDL_Surface* screen, SDL_Surface* sprites, int step)
{
    const Sint16 row = kGlyphRows[kPulseCycle[step]];
    SDL_Rect tens_source = glyph(intro_tens, row);
    SDL_Rect ones_source = glyph(intro_ones, row);
    SDL_Rect tens_place = {kTensX, kDigitY, kGlyphW, kGlyphH};
    SDL_Rect ones_place = {kOnesX, kDigitY, kGlyphW, kGlyphH};
    SDL_UpperBlit(sprites, &tens_source, screen, &tens_place);
    SDL_UpperBlit(sprites, &ones_source, screen, &ones_place);
    present_screen(screen);
    platform::delay(kPulseMs);
}

}  // namespace

int level_intro(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int level)
{
    restore_backdrop(screen, backdrop);
    SDL_Rect banner = kBanner;
    SDL_Rect banner_place = {kBannerX, kBannerY, kBanner.w, kBanner.h};
    SDL_UpperBlit(sprites, &banner, screen, &banner_place);

    intro_ones += 1;
    if (intro_ones == 10) {
        intro_tens += 1;
        intro_ones = 0;
    }

    // Pending events are taken one after another; the number pulses only
    // while the queue is empty. Events behind the q key stay queued. The
    // close button ends the intro as q does (the game loop then ends the
    // run); m turns the sound off and on; p and F11 do nothing here.
    char key_code = kCodeRight;
    int step = 0;
    int pulses = 0;
    SDL_Event event;
    set_pad_on_intro(true);
    rest_music();
    while (key_code != kCodeQuit) {
        while (next_input(&event, InputWait::kLevelIntro) == 0) {
            pulse(screen, sprites, step);
            step = (step + 1) % 6;
            pulses += 1;
            if (pulses % kCallPulses == kFirstCallPulse) {
                play_sound(kSoundLevelIntro);
            }
        }
        if (event.type == SDL_QUIT) {
            key_code = kCodeQuit;
        } else if (event.type == SDL_KEYDOWN && !take_sound_key(&event)
                   && read_command_key(&event) == kCodeNone) {
            key_code = static_cast<char>(read_direction_key(&event));
        }
    }
    set_pad_on_intro(false);

    resume_music();
    restore_backdrop(screen, backdrop);
    if (level >= 1 && level <= 6) {
        intro_count = kObjectCounts[level];
    }
    return intro_count;
}

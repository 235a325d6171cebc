#include "screens/lives.h"

#include "base/platform.h"
#include "base/sound.h"
#include "base/surfaces.h"
#include "base/object_pools.h"

namespace {

constexpr SDL_Rect kLifeIcon = {300, 5, 33, 22};
constexpr SDL_Rect kLivesArea = {600, 30, 33, 132};
constexpr SDL_Rect kCrashFrameA = {260, 5, 36, 62};
constexpr SDL_Rect kCrashFrameB = {302, 5, 36, 62};
constexpr Sint16 kLivesTop = 30;
constexpr Sint16 kLifeSpacing = 27;
constexpr Uint32 kFlashMs = 100;
constexpr Sint16 kRestartX = 320;

int lives = 3;
int restart_pending = 0;
SDL_Rect life_dest = {600, kLivesTop, 33, 22};

// Shows the screen and holds it for one flash of the crash sequence.
void show_flash(SDL_Surface* screen)
{
    present_screen(screen);
    platform::delay(kFlashMs);
}

// The figure's area goes back to the backdrop; the blit writes its clipped
// size into the figure's rectangle, which the sequence relies on.
void hide_figure(SDL_Surface* screen, SDL_Surface* backdrop, SDL_Rect* player_rect)
{
    restore_in_place(screen, backdrop, *player_rect);
    show_flash(screen);
}

void show_crash_image(SDL_Surface* screen, SDL_Surface* sprites, SDL_Rect image,
                      SDL_Rect* player_rect)
{
    SDL_UpperBlit(sprites, &image, screen, player_rect);
    show_flash(screen);
}

void crash(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, SDL_Rect* player_rect)
{
    if (lives != 0) {
        restore_area(screen, backdrop, kLivesArea);
        lives -= 1;
    }
    // The music rests under the crash, and for good after the last life.
    play_sound(lives == 0 ? kSoundLastLife : kSoundLifeLost);
    rest_music();
    for (int flash = 0; flash < 3; ++flash) {
        hide_figure(screen, backdrop, player_rect);
        show_crash_image(screen, sprites, kCrashFrameA, player_rect);
        hide_figure(screen, backdrop, player_rect);
        show_crash_image(screen, sprites, kCrashFrameB, player_rect);
    }
    player_rect->x = kRestartX;
    reset_pool(kPoolFalling);
    reset_pool(kPoolOpponent);
    restore_backdrop(screen, backdrop);
    present_screen(screen);
    if (lives != 0) {
        resume_music();
    }
    restart_pending = 1;
}

void draw_lives(SDL_Surface* screen, SDL_Surface* sprites)
{
    for (int life = 0; life < lives; ++life) {
        SDL_Rect icon = kLifeIcon;
        SDL_UpperBlit(sprites, &icon, screen, &life_dest);
        life_dest.y = static_cast<Sint16>(life_dest.y + kLifeSpacing);
    }
    life_dest.y = kLivesTop;
}

}  // namespace

int lives_event(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int mode,
                SDL_Rect* player_rect)
{
    if (mode == kLivesCrash) {
        crash(screen, sprites, backdrop, player_rect);
    } else if (mode == kLivesDraw) {
        draw_lives(screen, sprites);
    }

    if (lives == 0) {
        return kReplyGameOver;
    }
    if (restart_pending != 0) {
        restart_pending = 0;
        return kReplyLifeLost;
    }
    return kReplyGoOn;
}

int lives_left() { return lives; }

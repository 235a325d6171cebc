#include "loop/game_loop.h"

#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <SDL_image.h>

#include "base/blit_shortcuts.h"
#include "base/demo_input.h"
#include "base/gamepad.h"
#include "base/input.h"
#include "base/keyboard.h"
#include "base/picture_scaler.h"
#include "base/platform.h"
#include "base/sound.h"
#include "base/surfaces.h"
#include "loop/game_end.h"
#include "loop/pause.h"
#include "loop/screen_switch.h"
#include "player/player.h"
#include "screens/bursts.h"
#include "screens/score_display.h"
#include "world/world_tick.h"

namespace {

constexpr signed char kStateInitialise = 0;
constexpr signed char kStatePlay = 3;
constexpr signed char kStatePaused = 4;

constexpr char kCaption[] = "Frostrun - version " FROSTRUN_VERSION " ";
constexpr char kBackdropFile[] = "background.png";
constexpr char kSpritesFile[] = "sprites.png";
constexpr char kNoFullScreen[] =
    "\nfrostrun: the desktop's size is unknown or below 640 x 480;"
    " playing in a 640 x 480 window\n";

signed char game_state = kStateInitialise;
char continue_flag = 'Y';
SDL_Surface* screen = nullptr;
SDL_Surface* backdrop = nullptr;
SDL_Surface* sprites = nullptr;
SDL_Event event;
SDL_Rect* player_rect = nullptr;
char direction = kCodeNone;
char last_steer = kCodeNone;
int window_scale = 1;
bool window_full_screen = false;
bool sound_muted = false;

// Loads one image of the game or stops the run: without its images the
// game has nothing to draw.
SDL_Surface* load_image(const char* file_name)
{
    SDL_Surface* image = IMG_Load(file_name);
    if (image == nullptr) {
        std::fprintf(stderr, "Image error: %s: %s\n", file_name, IMG_GetError());
        std::exit(1);
    }
    return image;
}

// Opens the window and answers the surface the game draws on: the plain
// 640 x 480 window (or its persistent stand-in) unless the options ask for
// a larger one. Full screen that cannot be had falls back to the plain
// window, saying so on a line of its own after the caption.
SDL_Surface* open_screen()
{
    if (window_scale > 1 || window_full_screen) {
        const ScaledWindow plan = plan_scaled_window(window_scale, window_full_screen);
        if (plan.factor > 0) {
            set_screen_mode(window_scale, window_full_screen, true);
            return open_scaled_screen(plan);
        }
        std::fputs(kNoFullScreen, stderr);
    }
    set_screen_mode(1, false, false);
    SDL_Surface* video = platform::set_video_mode(kScreenWidth, kScreenHeight, kScreenDepth, kVideoFlags);
    return video != nullptr ? open_persistent_screen(video) : nullptr;
}

// Opens the window, loads the images and paints the backdrop. Presents
// nothing: the first frame's flip shows the backdrop.
int initialise()
{
    std::fputs(kCaption, stderr);
    prepare_gamepad();
    if (platform::init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL error: %s\n", SDL_GetError());
        return 1;
    }
    std::atexit(SDL_Quit);
    open_gamepad();

    screen = open_screen();
    if (screen == nullptr) {
        std::fprintf(stderr, "Video error: %s\n", SDL_GetError());
        std::exit(1);
    }
    SDL_WM_SetCaption(kCaption, nullptr);
    prepare_pause(screen);

    backdrop = load_image(kBackdropFile);
    sprites = load_image(kSpritesFile);
    SDL_SetColorKey(sprites, SDL_SRCCOLORKEY, 0);
    prepare_blit_shortcuts(screen, sprites, backdrop);
    // Sound is a bonus: without it the game plays on, silently.
    start_sound(sound_muted);
    std::printf("the colorkey is %d\n", static_cast<int>(sprites->format->colorkey));
    SDL_ShowCursor(SDL_DISABLE);

    SDL_Rect backdrop_rect = {0, 0, kScreenWidth, kScreenHeight};
    SDL_UpperBlit(backdrop, nullptr, screen, &backdrop_rect);

    direction = kCodeStand;
    game_state = kStatePlay;
    return 0;
}

// One frame: keyboard, figure, score, bursts, world, then one flip. A
// pause asked for (p, or the window left) begins once the frame is shown.
void play_frame()
{
    begin_input_frame();
    bool pause_asked = false;
    while (next_input(&event) != 0) {
        if (event.type != SDL_KEYDOWN || take_sound_key(&event)) {
            continue;
        }
        const int command = read_command_key(&event);
        if (command == kCodeNone) {
            direction = static_cast<char>(read_direction_key(&event));
        } else if (command == kCodePause) {
            pause_asked = true;
        } else {
            screen = switch_full_screen(screen);
        }
    }
    pause_asked = pause_asked || window_left();

    player_rect = update_player(screen, sprites, backdrop, direction);
    if (direction != kCodeJump) {
        last_steer = direction;
    }
    update_score_display(screen, sprites, backdrop, 0, 0, 0, kScoreRefresh);
    burst_effect(screen, sprites, backdrop, 0, 0, kBurstStep);
    continue_flag = world_tick(screen, sprites, backdrop, player_rect);

    if (direction == kCodeQuit || close_requested()) {
        continue_flag = 'N';
    }
    // A jump code lasts one frame; the steering before it comes back.
    if (direction == kCodeJump) {
        direction = last_steer;
    }
    present_screen(screen);
    if (pause_asked && continue_flag == 'Y') {
        show_pause(screen, sprites);
        game_state = kStatePaused;
    }
}

}  // namespace

void set_window_options(int scale, bool full_screen)
{
    window_scale = scale;
    window_full_screen = full_screen;
}

void set_sound_muted(bool muted) { sound_muted = muted; }

void finish_run()
{
    if (game_state == kStatePlay) {
        end_game(screen, sprites, backdrop);
    }
}

int game_step()
{
    switch (game_state) {
    case kStateInitialise:
        if (initialise() != 0) {
            return 0;
        }
        return continue_flag;
    case kStatePlay:
        play_frame();
        return continue_flag;
    case kStatePaused: {
        const char reply = paused_step(screen);
        if (reply != kReplyPaused) {
            continue_flag = reply;
            game_state = kStatePlay;
        }
        return continue_flag;
    }
    default:
        if (game_state < 0 || game_state > 4) {
            std::fputs("Bad game state", stderr);
        }
        return 0;
    }
}

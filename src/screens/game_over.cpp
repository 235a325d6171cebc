#include "screens/game_over.h"

#include "base/input.h"
#include "base/platform.h"
#include "base/surfaces.h"
#include "screens/score_display.h"

namespace {

// The screen's words and the mark of this game, on the sheet.
constexpr SDL_Rect kTitle = {0, 300, 133, 21};        // GAME OVER
constexpr SDL_Rect kScoreWord = {140, 300, 62, 16};   // SCORE
constexpr SDL_Rect kLevelWord = {210, 300, 62, 16};   // LEVEL
constexpr SDL_Rect kBestWord = {280, 300, 122, 16};   // BEST GAMES
constexpr SDL_Rect kMark = {410, 300, 12, 10};        // an arrow pointing left

constexpr Sint16 kTitleX = 253;
constexpr Sint16 kTitleY = 60;
constexpr Sint16 kSummaryY = 110;        // the words; their numbers 3 lower
constexpr Sint16 kFinalScoreX = 180;
constexpr Sint16 kFinalLevelX = 400;
constexpr Sint16 kNumberGap = 8;         // from a word to its number
constexpr Sint16 kBestX = 259;
constexpr Sint16 kBestY = 160;
constexpr Sint16 kHeadingY = 190;
constexpr Sint16 kRankRight = 200;       // columns of the table, right-aligned
constexpr Sint16 kScoreRight = 330;
constexpr Sint16 kLevelRight = 420;
constexpr Sint16 kMarkX = 432;
constexpr Sint16 kFirstRowY = 215;
constexpr Sint16 kRowPitch = 18;
constexpr Sint16 kDigitWidth = 10;

constexpr Uint32 kShowMs = 20000;
constexpr Uint32 kPollMs = 20;

// Copies one picture of the sheet to (x, y).
void draw(SDL_Surface* screen, SDL_Surface* sprites, SDL_Rect source, Sint16 x, Sint16 y)
{
    SDL_Rect place = {x, y, source.w, source.h};
    SDL_UpperBlit(sprites, &source, screen, &place);
}

// Draws a number in the score's glyphs, its last digit ending at `right`.
void draw_number(SDL_Surface* screen, SDL_Surface* sprites, long long value, Sint16 right,
                 Sint16 y)
{
    Sint16 x = right;
    do {
        x = static_cast<Sint16>(x - kDigitWidth);
        draw(screen, sprites, score_glyph(static_cast<int>(value % 10)), x, y);
        value /= 10;
    } while (value > 0);
}

// The number of digits of a value, for a number that starts at a place.
Sint16 number_width(long long value)
{
    Sint16 width = kDigitWidth;
    for (; value >= 10; value /= 10) {
        width = static_cast<Sint16>(width + kDigitWidth);
    }
    return width;
}

// A word and, after it, its number.
void draw_summary(SDL_Surface* screen, SDL_Surface* sprites, SDL_Rect word, Sint16 x,
                  long long value)
{
    draw(screen, sprites, word, x, kSummaryY);
    const Sint16 number_x = static_cast<Sint16>(x + word.w + kNumberGap);
    draw_number(screen, sprites, value, static_cast<Sint16>(number_x + number_width(value)),
                static_cast<Sint16>(kSummaryY + 3));
}

// Whether an event ends the screen.
bool ends_screen(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) {
        return true;
    }
    if (event.type != SDL_KEYDOWN) {
        return false;
    }
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_q || key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_p;
}

}  // namespace

void draw_game_over(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
                    const FinalScore& final_score)
{
    restore_backdrop(screen, backdrop);
    draw(screen, sprites, kTitle, kTitleX, kTitleY);
    draw_summary(screen, sprites, kScoreWord, kFinalScoreX, final_score.score);
    draw_summary(screen, sprites, kLevelWord, kFinalLevelX, final_score.level);
    draw(screen, sprites, kBestWord, kBestX, kBestY);
    draw(screen, sprites, kScoreWord, static_cast<Sint16>(kScoreRight - kScoreWord.w), kHeadingY);
    draw(screen, sprites, kLevelWord, static_cast<Sint16>(kLevelRight - kLevelWord.w), kHeadingY);
    const ScoreTable& table = *final_score.table;
    for (int i = 0; i < table.count; ++i) {
        const Sint16 y = static_cast<Sint16>(kFirstRowY + kRowPitch * i);
        draw_number(screen, sprites, i + 1, kRankRight, y);
        draw_number(screen, sprites, table.entries[i].score, kScoreRight, y);
        draw_number(screen, sprites, table.entries[i].level, kLevelRight, y);
        if (i == final_score.rank) {
            draw(screen, sprites, kMark, kMarkX, y);
        }
    }
}

void game_over(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop,
               const FinalScore& final_score)
{
    SDL_Event event;
    bool closed = false;
    while (next_input(&event) != 0) {
        closed = closed || event.type == SDL_QUIT;
    }
    if (closed) {
        return;
    }
    draw_game_over(screen, sprites, backdrop, final_score);
    present_screen(screen);
    const Uint32 start = platform::get_ticks();
    while (platform::get_ticks() - start < kShowMs) {
        while (next_input(&event) != 0) {
            if (ends_screen(event)) {
                return;
            }
            // A window uncovered shows the picture again.
            if (event.type == SDL_VIDEOEXPOSE) {
                present_screen(screen);
            }
        }
        platform::delay(kPollMs);
    }
}

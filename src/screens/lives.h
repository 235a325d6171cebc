// The lives column and the crash sequence.
#pragma once

#include <SDL.h>

// Modes of lives_event.
constexpr int kLivesCrash = 1;
constexpr int kLivesDraw = 3;

// Reply codes.
constexpr char kReplyGoOn = 'Y';
constexpr char kReplyLifeLost = 'H';
constexpr char kReplyGameOver = 'N';

// Crash (mode 1): takes a life, flashes the figure twelve times, moves it
// to x 320, refills the falling objects and the opponent, repaints and
// shows the backdrop. Draw (mode 3): draws one icon per life at the right
// edge. Answers 'N' once no life is left, 'H' once after a crash, else 'Y'.
int lives_event(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop, int mode,
                SDL_Rect* player_rect);

// Lives left, for tools that watch a run.
int lives_left();

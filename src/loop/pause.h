// Pause: the picture dimmed under a PAUSED sign, the world standing still
// and the process asleep until the player resumes with p (or Start).
#pragma once

#include <SDL.h>

// What a paused step answers: still paused, resumed, or the run is over.
constexpr char kReplyPaused = 'P';
constexpr char kReplyResumed = 'Y';
constexpr char kReplyEnd = 'N';

// At start-up: the surface that keeps the picture while the game is paused,
// in the screen's format, so that pausing allocates nothing.
void prepare_pause(SDL_Surface* screen);

// Whether the window is iconified or has lost the keyboard focus, read
// once the frame's events are drained (a loss and a gain within one drain
// cancel out); the mouse leaving the window does not count. A window that
// has not had the focus yet (sdl12-compat says so until the window manager
// gives it) has lost nothing.
bool window_left();

// Keeps the picture, dims it, puts the sign on it and presents it; the
// sound pauses with the game.
void show_pause(SDL_Surface* screen, SDL_Surface* sprites);

// One wait of the paused game: takes the pending events (p resumes, q and
// the close button end the run, F11 switches the screen and shows the
// paused picture again, as an uncovered window does, m turns the sound off
// and on; every other key is dropped), then sleeps a little unless it
// resumes. On resuming the sound goes on and the screen holds the picture
// from before the pause again, not yet presented.
char paused_step(SDL_Surface*& screen);

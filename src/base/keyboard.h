// Keyboard direction mapping: one key press becomes a one-letter code.
#pragma once

#include <SDL.h>

// Direction codes handed from the keyboard to the player figure.
constexpr char kCodeNone = 0;      // no key mapped yet
constexpr char kCodeJump = 'U';
constexpr char kCodeQuit = 'N';
constexpr char kCodeStand = 'S';
constexpr char kCodeRight = 'R';
constexpr char kCodeLeft = 'L';

// Codes of the keys taken before the direction table.
constexpr char kCodePause = 'P';
constexpr char kCodeScreen = 'F';  // F11: window or full screen

// Maps a key-down event to its direction code and answers it. A key outside
// the table answers the last code that the table gave, except the quit
// code, which is never remembered: only the q key itself quits.
int read_direction_key(const SDL_Event* event);

// Maps a key-down event of a key with a meaning of its own (p, F11) to its
// code, kCodeNone for every other key. Callers take these first (and m,
// the sound's: take_sound_key), so they never reach read_direction_key and
// never repeat a direction.
int read_command_key(const SDL_Event* event);

// Whole games of the real game code, headless on the virtual clock, driven
// by scripted or random events: the shared part of the replay, search and
// soak drivers.
#pragma once

#include <functional>
#include <string>

#include <SDL.h>

namespace session {

// Puts one event into SDL's queue: a key name (Right, Left, Up, Down, Space,
// q, Shift, a, p, F11, m) presses that key, "-Name" releases it; "mouse",
// "click" and "close" are a mouse move, a mouse button and the window's
// close request; "blur", "focus", "iconify", "restore" and "mouse-out" the
// window's state changing; "buttonN" and "-buttonN" a pad's button N.
// "Name*N" puts N of them. False for a name it does not know; with `queue`
// false it only checks the name.
bool push(const std::string& event, bool queue = true);

// The figure's rectangle as the game drew it last (null before it drew).
const SDL_Rect* figure();

// How many particles the game has blitted one by one.
long particle_blits();

// Called at every pulse of a level intro with the number of the intro in
// this run (1, 2, ...) and of the pulse in it (1, 2, ...), to push keys.
void on_intro(std::function<void(int intro, int pulse)> answer);

// Runs one step of the game; answers what game_step answers.
int step();

}  // namespace session

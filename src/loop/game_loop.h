// The game state machine: start-up, then one frame of play per step.
#pragma once

// Runs one step: the first opens the window and loads the images, every
// later one plays a frame. Answers 'Y' while the game goes on, 'N' when it
// ends (quit key, close button or no lives left) and 0 when SDL cannot start.
int game_step();

// Sets the window the first step opens: `scale` times 640 x 480, or with
// `full_screen` the whole desktop. Called before the first step; without
// it the window is the plain 640 x 480 one.
void set_window_options(int scale, bool full_screen);

// Starts the game with its sound muted (--mute); the m key turns it on.
void set_sound_muted(bool muted);
// Ends the run after the step that answered 'N': enters the game in the
// best-scores table and, when the last life went, shows the game-over
// screen. Nothing when the game never started.
void finish_run();

// Recording and playing back demos where the game reads its input
// (next_input): the place of every read is counted (frame of play, wait,
// reads that found nothing), a recording writes each input with its place
// as it is taken, and a playback hands out the recorded inputs at the very
// same places instead of the platform's events.
#pragma once

#include <SDL.h>

#include "base/demo_file.h"
#include "base/input.h"

// Opens `path` for a recording and writes its header; false (errno set)
// when it cannot. Before the first frame.
bool start_recording(const char* path);

// Writes the end record where the game stopped and closes the file.
void finish_recording();

// Plays `demo` back from the first frame on: its inputs replace the
// platform's events, whose keys only pause (p, space) and stop (q, Escape,
// the close button) the playback. `timed` leaves out the waits' pacing and
// reports frames, seconds and frames per second on standard output at the
// end, where the game's own lines no longer go. `demo` must outlive the run.
void start_playback(const Demo& demo, const char* path, bool timed);

// Ends a playback: the report of a timed one. Called once the game stops.
void finish_playback();

// The frames of play begun so far.
int input_frame();

// Called at the start of every frame of play. A playback past its last
// frame ends here: the process exits with status 0.
void begin_input_frame();

// The parts of next_input: where it reads, whether a demo is the source,
// the demo's next input, a read that found nothing, and an input taken.
void note_input_wait(InputWait wait);
bool playing_demo();
int next_demo_input(SDL_Event* event);
void note_empty_read();
void record_input(const SDL_Event& event);

// The window's state: a recording keeps it whenever it changes; a
// playback answers it as recorded at this place.
void record_window_state(Uint8 state);
Uint8 demo_window_state();

// The demo options of a run: a recording, a playback or a timed playback,
// and the checksums of the pictures, set up before the window opens.
#pragma once

#include "loop/command_line.h"

// Reads and checks the demo to play or opens the files to write. Answers
// 0, or 2 after one line on standard error naming the file and the
// problem: then nothing has started.
int start_demo_session(const CommandLine& line);

// Finishes what start_demo_session began once the game has stopped: the
// recording's end record, the timed playback's report.
void finish_demo_session();

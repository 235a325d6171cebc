// The game's options, read in full before anything else happens.
#pragma once

#include <string>
#include <string_view>

// What the command line asks for.
struct CommandLine {
    enum Answer { kPlay, kHelp, kVersion, kMistake, kScores };
    Answer answer = kPlay;
    int scale = 1;             // --scale N: the window is 640N x 480N
    bool full_screen = false;  // --fullscreen: the whole desktop; wins over --scale
    bool mute = false;         // --mute: start with the sound off
    enum Demo { kNoDemo, kRecord, kPlayBack, kTimedemo };
    Demo demo = kNoDemo;          // --record, --play or --timedemo, one at most
    std::string demo_file;        // their file
    std::string frame_sums_file;  // --frame-sums FILE
    std::string mistake;       // kMistake: the line for standard error, without its line end
};

// Reads the arguments after the program's name (argc may be 0). Pure: it
// prints nothing and starts nothing, so that a mistake leaves no trace but
// its one line.
CommandLine read_command_line(int argc, const char* const* argv);

// The text that --help prints.
const char* usage_text();

// The text that --version prints.
const char* version_text();

// `text` as a one-line message shows it: in quotes, control characters
// written as \xHH, cut after `most_bytes` bytes.
std::string quoted(std::string_view text, std::size_t most_bytes);

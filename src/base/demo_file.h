// Demo files: the inputs of one game, each with the place where the game
// read it, so that playing them back gives the same game. A text file:
//   frostrun-demo 1            the format and its version
//   game 0.1                   the version of the game that recorded it
//   FRAME WAIT READS KIND [VALUE]   one line per input, in the order read:
//                              key SYM, close, focus-in BITS, focus-out BITS
//                              or window BITS
//   end FRAME WAIT READS       where the recorded game stopped
// FRAME counts frames of play from 1; WAIT is play, intro (the level
// intro), pause or over (the game-over screen); READS counts the reads
// that found nothing in that wait of that frame before this input. Every
// line ends with a line end: a line without one was cut short and does not
// count, so a file cut anywhere plays to its last whole line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/input.h"

// The kinds of input a demo holds: a key pressed (its SDL key number), the
// window's close button, the window gaining or losing the mouse, the
// keyboard or its place on screen (SDL's SDL_APP* bits), and the window's
// state as the game found it when it changed (the same bits).
enum class DemoKind : unsigned char { kKey, kClose, kFocusIn, kFocusOut, kWindow };

// Where the game was when it read an input.
struct DemoPlace {
    int frame;
    InputWait wait;
    int reads;
};

struct DemoInput {
    DemoPlace place;
    DemoKind kind;
    int value;
};

struct Demo {
    std::vector<DemoInput> inputs;
    bool ended = false;  // the end record was written
    DemoPlace end = {0, InputWait::kPlay, 0};
};

// Reads and checks the whole file. Answers an empty text and fills `demo`,
// or the problem in a few words (without the file's name).
std::string read_demo_file(const char* path, Demo& demo);

// Checks and reads a demo's text, as read_demo_file does.
std::string parse_demo(std::string_view text, Demo& demo);

// The longest line this file format writes, line end included.
constexpr std::size_t kDemoLineMax = 64;

// Writes the header, an input line or the end record into `line` (at least
// kDemoLineMax bytes) and answers its length. Safe in a signal handler.
std::size_t format_demo_header(char* line);
std::size_t format_demo_input(char* line, const DemoInput& input);
std::size_t format_demo_end(char* line, DemoPlace place);

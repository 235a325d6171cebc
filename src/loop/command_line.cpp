#include "loop/command_line.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr char kMaxScaleDigit = '6';
constexpr std::size_t kShownArgumentBytes = 40;  // a longer argument is cut in messages

constexpr char kUsage[] =
    "Usage: frostrun [--scale N | --fullscreen] [--mute]\n"
    "                [--record FILE | --play FILE | --timedemo FILE]\n"
    "                [--frame-sums FILE]\n"
    "       frostrun --scores | --help | --version\n"
    "Catch the snowflakes, dodge the rest.\n"
    "\n"
    "  --scale N          play in a window of 640N x 480N pixels, N from 1 to 6\n"
    "                     (default 1); every pixel is repeated, so the picture\n"
    "                     stays sharp\n"
    "  --fullscreen       play on the whole screen at its current size, scaled by\n"
    "                     the largest whole factor that fits, on black; wins over\n"
    "                     --scale\n"
    "  --mute             start with the sound off (the m key turns it on)\n"
    "  --record FILE      keep the game in FILE, a demo, input by input as read\n"
    "  --play FILE        watch the demo in FILE at the game's pace; p or space\n"
    "                     pauses, q or Escape stops\n"
    "  --timedemo FILE    play the demo as fast as the machine can and print its\n"
    "                     frames, seconds and frames per second (the per-frame lines\n"
    "                     are left out)\n"
    "  --frame-sums FILE  write a checksum of every picture shown to FILE\n"
    "  --scores           show the best-scores table and exit\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Keys: left and right arrows walk, up arrow stands, space jumps, m turns the\n"
    "sound off and on, q quits, p pauses and resumes, F11 switches between window\n"
    "and full screen; the window's close button quits too. A gamepad plays as\n"
    "well: d-pad or stick walk, face buttons jump, Start pauses, Back quits.\n"
    "The ten best games are kept in $XDG_DATA_HOME/frostrun/scores\n"
    "(by default ~/.local/share/frostrun/scores).\n"
    "Exit status: 0 when the game or demo ends, 1 on a start-up failure, 2 on a bad\n"
    "option or a file named on the command line that cannot be used.\n";

constexpr char kVersion[] = "Frostrun " FROSTRUN_VERSION "\n";

// The argument as it may appear in a one-line message.
std::string shown(std::string_view argument) { return quoted(argument, kShownArgumentBytes); }

// An option's value: after its '=', or else the next argument, which it
// then takes; empty when there is none.
std::string_view option_value(std::string_view argument, int argc, const char* const* argv, int& i)
{
    const std::size_t equals = argument.find('=');
    if (equals != std::string_view::npos) {
        return argument.substr(equals + 1);
    }
    return i + 1 < argc ? std::string_view(argv[++i]) : std::string_view();
}

// A command line that asks for nothing but its one line on standard error.
CommandLine mistake(const std::string& problem)
{
    CommandLine line;
    line.answer = CommandLine::kMistake;
    line.mistake = "frostrun: " + problem + " (see frostrun --help)";
    return line;
}

// True for the one digit 1 to 6 and nothing else: no sign, space, leading
// zero or fraction, and no number too long to hold.
bool is_scale(std::string_view value)
{
    return value.size() == 1 && value[0] >= '1' && value[0] <= kMaxScaleDigit;
}

// The demo that an option taking a demo file asks for; kNoDemo for any
// other option.
CommandLine::Demo demo_option(std::string_view name)
{
    if (name == "--record") {
        return CommandLine::kRecord;
    }
    if (name == "--play") {
        return CommandLine::kPlayBack;
    }
    return name == "--timedemo" ? CommandLine::kTimedemo : CommandLine::kNoDemo;
}

}  // namespace

CommandLine read_command_line(int argc, const char* const* argv)
{
    CommandLine line;
    bool scale_seen = false;
    bool full_screen_seen = false;
    bool mute_seen = false;
    bool help_seen = false;
    bool version_seen = false;
    bool scores_seen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const bool has_value = equals != std::string_view::npos;
        // The options that take a file: a demo's, or the frame sums'.
        const CommandLine::Demo demo = demo_option(name);
        if (demo != CommandLine::kNoDemo || name == "--frame-sums") {
            const bool twice = demo == CommandLine::kNoDemo ? !line.frame_sums_file.empty()
                                                            : demo == line.demo;
            if (twice) {
                return mistake(std::string(name) + " given twice");
            }
            if (demo != CommandLine::kNoDemo && line.demo != CommandLine::kNoDemo) {
                return mistake("--record, --play and --timedemo go one at a time");
            }
            const std::string_view file = option_value(argument, argc, argv, i);
            if (file.empty()) {
                return mistake(std::string(name) + " needs a file");
            }
            if (demo == CommandLine::kNoDemo) {
                line.frame_sums_file = file;
            } else {
                line.demo = demo;
                line.demo_file = file;
            }
            continue;
        }
        bool* seen = nullptr;
        if (name == "--scale") {
            seen = &scale_seen;
        } else if (name == "--fullscreen") {
            seen = &full_screen_seen;
        } else if (name == "--mute") {
            seen = &mute_seen;
        } else if (name == "--help") {
            seen = &help_seen;
        } else if (name == "--version") {
            seen = &version_seen;
        } else if (name == "--scores") {
            seen = &scores_seen;
        } else if (argument.empty()) {
            return mistake("empty argument");
        } else if (argument.size() > 1 && argument[0] == '-' && argument != "--") {
            return mistake("unknown option " + shown(argument));
        } else {
            return mistake("unexpected argument " + shown(argument));
        }
        if (*seen) {
            return mistake(std::string(name) + " given twice");
        }
        *seen = true;
        if (name != "--scale") {
            if (has_value) {
                return mistake(std::string(name) + " takes no value");
            }
            if (name == "--fullscreen") {
                line.full_screen = true;
            } else if (name == "--mute") {
                line.mute = true;
            } else if (line.answer == CommandLine::kPlay) {
                line.answer = name == "--help"      ? CommandLine::kHelp
                              : name == "--version" ? CommandLine::kVersion
                                                    : CommandLine::kScores;
            }
            continue;
        }
        const std::string_view value = option_value(argument, argc, argv, i);
        if (value.empty()) {
            return mistake("--scale needs a value, a whole number from 1 to 6");
        }
        if (!is_scale(value)) {
            return mistake("bad value " + shown(value) +
                           " for --scale, a whole number from 1 to 6");
        }
        line.scale = value[0] - '0';
    }
    return line;
}

const char* usage_text() { return kUsage; }

const char* version_text() { return kVersion; }

std::string quoted(std::string_view text, std::size_t most_bytes)
{
    std::string shown_text = "'";
    for (std::size_t i = 0; i < text.size() && i < most_bytes; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown_text += escaped;
        } else {
            shown_text += static_cast<char>(byte);
        }
    }
    return shown_text + (text.size() > most_bytes ? "...'" : "'");
}

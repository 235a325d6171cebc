// Frostrun: catch the snowflakes, dodge the rest.
#include <cstdio>

#include <SDL.h>

#include "loop/command_line.h"
#include "loop/game_end.h"
#include "loop/game_loop.h"

namespace {

constexpr int kStatusFailure = 1;
constexpr int kStatusBadOption = 2;

// Prints the answer to --help or --version; a failed write is a failure.
int answer_with(const char* text)
{
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("frostrun: cannot write the answer");
        return kStatusFailure;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const CommandLine line = read_command_line(argc, argv);
    switch (line.answer) {
    case CommandLine::kHelp:
        return answer_with(usage_text());
    case CommandLine::kVersion:
        return answer_with(version_text());
    case CommandLine::kScores:
        return print_scores();
    case CommandLine::kMistake:
        std::fprintf(stderr, "%s\n", line.mistake.c_str());
        return kStatusBadOption;
    case CommandLine::kPlay:
        break;
    }
    set_window_options(line.scale, line.full_screen);
    set_sound_muted(line.mute);

    int answer = game_step();
    while (static_cast<char>(answer) == 'Y') {
        answer = game_step();
    }
    if (static_cast<char>(answer) == 'N') {
        finish_run();
    }
    SDL_Quit();
    // A step answers 0 only when SDL could not start, which is a failure.
    return answer == 0 ? kStatusFailure : 0;
}

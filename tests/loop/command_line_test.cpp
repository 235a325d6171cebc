// The options: every spelling the game takes and the one line for each
// mistake (what the installed game answers: tests/install/install_test.sh).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loop/command_line.h"

namespace {

// What the command line `args` (after the program's name) asks for, in short.
std::string read(std::vector<const char*> args)
{
    args.insert(args.begin(), "/usr/libexec/frostrun/frostrun");
    const CommandLine line = read_command_line(static_cast<int>(args.size()), args.data());
    const char* answers[] = {"play", "help", "version", ""};
    return answers[line.answer] + (line.answer == CommandLine::kMistake ? line.mistake
        : " x" + std::to_string(line.scale) + (line.full_screen ? " full" : "") +
          (line.mute ? " mute" : ""));
}

// The one line a mistake gives.
std::string says(const std::string& mistake)
{
    return "frostrun: " + mistake + " (see frostrun --help)";
}

// The mistake line for a bad --scale value as it is shown.
std::string bad(const std::string& shown)
{
    return says("bad value '" + shown + "' for --scale, a whole number from 1 to 6");
}

}  // namespace

TEST(CommandLine, ReadsEveryGoodSpellingAndGivesOneLineForEachMistake)
{
    const std::string needs = says("--scale needs a value, a whole number from 1 to 6");
    constexpr std::size_t kShown = 40;  // a longer argument is shown cut
    const std::string kLong(kShown + 3, '2');
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{}, "play x1"}, {{"--scale", "1"}, "play x1"}, {{"--scale=6"}, "play x6"},
        {{"--fullscreen"}, "play x1 full"}, {{"--scale", "3", "--fullscreen"}, "play x3 full"},
        {{"--fullscreen", "--scale=2"}, "play x2 full"}, {{"--help", "--version"}, "help x1"},
        {{"--version", "--help"}, "version x1"}, {{"--scale=2", "--help"}, "help x2"},
        {{"--scale"}, needs}, {{"--scale", "0"}, bad("0")}, {{"--scale", "+2"}, bad("+2")},
        {{"--scale="}, needs}, {{"--scale", "7"}, bad("7")}, {{"--scale", "08"}, bad("08")},
        {{"--scale", " 2"}, bad(" 2")}, {{"--scale", "2.0"}, bad("2.0")},
        {{"--scale", "2abc"}, bad("2abc")}, {{"--scale", "--fullscreen"}, bad("--fullscreen")},
        {{"--scale=4294967298"}, bad("4294967298")},  // 2^32 + 2: no wrapping round to 2
        {{"--scale", kLong.c_str()}, bad(kLong.substr(0, kShown) + "...")},
        {{"--scale", "2", "--scale=2"}, says("--scale given twice")},
        {{"--help", "--help"}, says("--help given twice")}, {{""}, says("empty argument")},
        {{"--full"}, says("unknown option '--full'")}, {{"-"}, says("unexpected argument '-'")},
        {{"--help", "--bogus"}, says("unknown option '--bogus'")},
        {{"--fullscreen=1"}, says("--fullscreen takes no value")},
        {{"--mute", "--scale=2"}, "play x2 mute"}, {{"--mute=0"}, says("--mute takes no value")},
        {{"--"}, says("unexpected argument '--'")},
        {{"--fullscreen", "stray"}, says("unexpected argument 'stray'")},
        {{"a\nb\x1b"}, says("unexpected argument 'a\\x0Ab\\x1B'")},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(read(args), expected) << (args.empty() ? "" : args[0]);
    }
    EXPECT_EQ(read_command_line(0, nullptr).answer, CommandLine::kPlay);  // not even a name
}

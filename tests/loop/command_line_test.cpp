// The options: every spelling the game takes, the one line for each mistake,
// and what the game binary itself prints and answers before starting anything.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loop/command_line.h"

namespace {

const std::string kSee = " (see frostrun --help)";

// What the command line `args` (after the program's name) asks for, in short.
std::string read(std::vector<const char*> args)
{
    args.insert(args.begin(), "/usr/libexec/frostrun/frostrun");
    const CommandLine line = read_command_line(static_cast<int>(args.size()), args.data());
    const char* answers[] = {"play", "help", "version", ""};
    return answers[line.answer] + (line.answer == CommandLine::kMistake ? line.mistake
        : " x" + std::to_string(line.scale) + (line.full_screen ? " full" : ""));
}

// The mistake line for a bad --scale value as it is shown.
std::string bad(const std::string& shown)
{
    return "frostrun: bad value '" + shown + "' for --scale, a whole number from 1 to 6" + kSee;
}

// Runs the game binary (built beside the tests' folder) with `args` for the shell (a redirection
// in them wins), no video driver that exists: answers the status, standard output and error.
std::string run_game(const std::string& args)
{
    const auto game = std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "frostrun";
    const std::string out = testing::TempDir() + "game.out", err = testing::TempDir() + "game.err";
    const int status = std::system(("SDL_VIDEODRIVER=none '" + game.string() + "' >" + out + " 2>" + err + " " + args).c_str());
    std::ostringstream output, error;
    output << std::ifstream(out).rdbuf(), error << std::ifstream(err).rdbuf();  // an empty file leaves it empty
    return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "|" + output.str() + "|" + error.str();
}

}  // namespace

TEST(CommandLine, ReadsEveryGoodSpellingAndGivesOneLineForEachMistake)
{
    const std::string needs = "frostrun: --scale needs a value, a whole number from 1 to 6" + kSee;
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{}, "play x1"}, {{"--scale", "1"}, "play x1"}, {{"--scale=6"}, "play x6"}, {{"--fullscreen"}, "play x1 full"},
        {{"--scale", "3", "--fullscreen"}, "play x3 full"}, {{"--fullscreen", "--scale=2"}, "play x2 full"},
        {{"--help", "--version"}, "help x1"}, {{"--version", "--help"}, "version x1"}, {{"--scale=2", "--help"}, "help x2"},
        {{"--scale"}, needs}, {{"--scale="}, needs}, {{"--scale", "0"}, bad("0")}, {{"--scale", "7"}, bad("7")},
        {{"--scale", "08"}, bad("08")}, {{"--scale", "+2"}, bad("+2")}, {{"--scale", " 2"}, bad(" 2")},
        {{"--scale", "2.0"}, bad("2.0")}, {{"--scale", "2abc"}, bad("2abc")}, {{"--scale=4294967298"}, bad("4294967298")},
        {{"--scale", "--fullscreen"}, bad("--fullscreen")}, {{"--scale", "2", "--scale=2"}, "frostrun: --scale given twice" + kSee},
        {{"--full"}, "frostrun: unknown option '--full'" + kSee}, {{"--help", "--bogus"}, "frostrun: unknown option '--bogus'" + kSee},
        {{"--help", "--help"}, "frostrun: --help given twice" + kSee}, {{"--fullscreen=1"}, "frostrun: --fullscreen takes no value" + kSee},
        {{"--"}, "frostrun: unexpected argument '--'" + kSee}, {{"-"}, "frostrun: unexpected argument '-'" + kSee},
        {{""}, "frostrun: empty argument" + kSee}, {{"--fullscreen", "stray"}, "frostrun: unexpected argument 'stray'" + kSee},
        {{"a\nb\x1b"}, "frostrun: unexpected argument 'a\\x0Ab\\x1B'" + kSee},
        {{"--scale", "2222222222222222222222222222222222222222222"}, bad("2222222222222222222222222222222222222222...")},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(read(args), expected) << (args.empty() ? "" : args[0]);
    }
    EXPECT_EQ(read_command_line(0, nullptr).answer, CommandLine::kPlay);  // a program started without even its name
}

TEST(CommandLine, GameBinaryAnswersOrRefusesBeforeStartingAnything)
{
    EXPECT_EQ(run_game("--help"), std::string("0|") + usage_text() + "|");
    EXPECT_NE(std::string(usage_text()).find("--fullscreen  play on the whole screen"), std::string::npos);
    EXPECT_NE(std::string(usage_text()).find("wins over --scale"), std::string::npos);
    EXPECT_EQ(run_game("--version --help"), "0|Frostrun 0.1\n|");
    EXPECT_EQ(run_game("--help >/dev/full").substr(0, 2), "1|");
    // No caption, no SDL error: the one line is all.
    EXPECT_EQ(run_game("--scale 2 --scale"), "2||" + std::string("frostrun: --scale given twice") + kSee + "\n");
}

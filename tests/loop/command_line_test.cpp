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

// Runs the game binary (built beside the tests' folder) with `args` for the shell (a redirection
// in them wins), no video driver that exists: answers the status, standard output and error.
std::string run_game(const std::string& args)
{
    const auto tests = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string game = (tests.parent_path() / "frostrun").string();
    const std::string out = testing::TempDir() + "game.out";
    const std::string err = testing::TempDir() + "game.err";
    const std::string shell = "SDL_VIDEODRIVER=none '" + game + "' >" + out + " 2>" + err;
    const int status = std::system((shell + " " + args).c_str());
    std::ostringstream output;
    std::ostringstream error;
    output << std::ifstream(out).rdbuf();  // an empty file leaves it empty
    error << std::ifstream(err).rdbuf();
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return std::to_string(code) + "|" + output.str() + "|" + error.str();
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

TEST(CommandLine, GameBinaryAnswersOrRefusesBeforeStartingAnything)
{
    EXPECT_EQ(run_game("--help"), std::string("0|") + usage_text() + "|");
    const std::string usage = usage_text();
    EXPECT_NE(usage.find("--fullscreen  play on the whole screen"), std::string::npos) << usage;
    EXPECT_NE(usage.find("wins over --scale"), std::string::npos) << usage;
    EXPECT_EQ(run_game("--version --help"), "0|Frostrun 0.1\n|");
    EXPECT_EQ(run_game("--help >/dev/full").substr(0, 2), "1|");
    // No caption, no SDL error: the one line is all.
    EXPECT_EQ(run_game("--scale 2 --scale"), "2||" + says("--scale given twice") + "\n");
}

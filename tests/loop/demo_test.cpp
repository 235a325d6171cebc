// Demos: the reader against hostile and mutated files, and a recorded game
// played back by the game binary with the same pictures, whatever the C
// library's rand() gives. (Recording and playing back a game in a real
// window: tests/e2e/real_window.py; the goldens' demos: Demo.NAME.)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/demo_file.h"

namespace {

const std::string kHeader = "frostrun-demo 1\ngame 0.1\n";
const std::string kDemo = kHeader +
                          "3 play 0 key 275\n40 play 0 key 32\n40 play 0 key 276\n"
                          "41 play 0 close\n50 play 0 focus-out 6\n50 play 1 window 0\n"
                          "900 intro 0 key 113\n900 intro 7 key 113\nend 1012 play 1\n";

std::string slurp(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// A file of this test process's own: the tests run side by side.
std::string temp(const std::string& name)
{
    return testing::TempDir() + "demo_test_" + std::to_string(getpid()) + "_" + name;
}

// The files a test leaves, removed when its process ends.
const struct RemoveTemps {
    ~RemoveTemps()
    {
        for (const char* name : {"out", "err", "bad.demo", "game.demo", "played.sums"}) {
            std::remove(temp(name).c_str());
        }
    }
} remove_temps;

// Runs the game binary in the images' folder, headless, with `args` for
// the shell: answers "STATUS|STDOUT|STDERR" (the caption and the audio
// driver's lines left out of the error).
std::string run_game(const std::string& args, const std::string& env = "")
{
    const auto tests = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string out = temp("out");
    const std::string err = temp("err");
    const std::string command = "cd " FROSTRUN_ASSET_DIR " && XDG_DATA_HOME=" +
                                testing::TempDir() + " SDL_AUDIODRIVER=dummy " + env + " '" +
                                (tests.parent_path() / "frostrun").string() + "' " + args +
                                " >" + out + " 2>" + err;
    const int status = std::system(command.c_str());
    std::string error = slurp(err);
    const std::string caption = "Frostrun - version 0.1 ";
    if (error.compare(0, caption.size(), caption) == 0) {
        error.erase(0, caption.size());
    }
    return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "|" + slurp(out) +
           "|" + error;
}

}  // namespace

// Every kind of bad demo: status 2, one line naming the file and the
// problem, and nothing started (no caption, no window).
TEST(Demo, RefusesEveryBadFileWithOneLineAndStatusTwo)
{
    std::string garbage(3 << 20, '\0');
    std::mt19937 random(7);
    for (char& byte : garbage) {
        byte = static_cast<char>(random());
    }
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty file"},
        {"PK\x03\x04 zip\n", "not a Frostrun demo"},
        {garbage, "not a Frostrun demo"},
        {"frostrun-demo 2\ngame 0.1\n", "demo format version '2', this game reads version 1"},
        {"frostrun-demo 1\ngame 0.2\n",
         "recorded by Frostrun version '0.2', which Frostrun 0.1 cannot play"},
        {kHeader + "9 play 0 key 32\n8 play 0 key 32\n",
         "line 4: input out of order (before the line above)"},
        {kHeader + "9 intro 5 key 32\n9 intro 4 key 32\n",
         "line 4: input out of order (before the line above)"},
        {kHeader + "0 play 0 key 32\n", "line 3: frame number '0' is not one from 1 to 999999999"},
        {kHeader + "5 play 0 key 400\n", "line 3: key value out of range"},
        {kHeader + "5 play 0 joystick 3\n", "line 3: unknown kind of input 'joystick'"},
        {kHeader + "5 play 0 close 1\n", "line 3: close value out of range"},
        {kHeader + "5 nap 0 key 32\n", "line 3: unknown wait 'nap'"},
        {kHeader + "end 5 play 0\n5 play 0 key 32\n", "line 4: a line after the end record"},
        {kHeader + "9 play 0 key 32\nend 8 play 0\n", "line 4: end before the last input"},
        {kHeader + std::string(70, '7') + "\n", "line 3: line too long"},
    };
    const std::string path = temp("bad.demo");
    for (const auto& [text, problem] : cases) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(run_game("--timedemo " + path, "SDL_VIDEODRIVER=none"),
                  "2||frostrun: demo '" + path + "': " + problem + "\n");
    }
    const std::string missing = temp("missing");
    EXPECT_EQ(run_game("--play " + missing),
              "2||frostrun: demo '" + missing + "': cannot open: No such file or directory\n");
    EXPECT_EQ(run_game("--play /"), "2||frostrun: demo '/': cannot read: Is a directory\n");
}

// Thousands of mutated demos are read or refused, never more; what is
// read writes back as it reads. A demo cut anywhere after its header keeps
// exactly its whole lines.
TEST(Demo, ReaderTakesMutatedAndCutFilesSafely)
{
    Demo whole;
    ASSERT_EQ(parse_demo(kDemo, whole), "");
    std::mt19937 random(20);
    int read = 0;
    for (int i = 0; i < 5000; ++i) {
        std::string text = kDemo;
        for (int edits = 1 + random() % 4; edits > 0; --edits) {
            const std::size_t at = random() % text.size();
            switch (random() % 4) {
            case 0: text[at] = static_cast<char>(random()); break;
            case 1: text[at] = "0123456789 \nkeyplayintroend"[random() % 26]; break;
            case 2: text.erase(at, 1 + random() % 8); break;
            default: text.insert(at, text.substr(random() % text.size(), random() % 20));
            }
            if (text.empty()) {
                text = "\n";
            }
        }
        Demo demo;
        if (parse_demo(text, demo) != "") {
            continue;
        }
        read += 1;
        std::string written(kDemoLineMax, '\0');
        written.resize(format_demo_header(&written[0]));
        for (const DemoInput& input : demo.inputs) {
            char line[kDemoLineMax];
            written.append(line, format_demo_input(line, input));
        }
        if (demo.ended) {
            char line[kDemoLineMax];
            written.append(line, format_demo_end(line, demo.end));
        }
        EXPECT_EQ(written, text.substr(0, text.rfind('\n') + 1)) << text;
    }
    EXPECT_GT(read, 50);
    for (std::size_t cut = kHeader.size(); cut < kDemo.size(); ++cut) {
        Demo demo;
        const std::string text = kDemo.substr(0, cut);
        ASSERT_EQ(parse_demo(text, demo), "") << text;
        const auto lines = std::count(text.begin(), text.end(), '\n') - 2;
        EXPECT_EQ(static_cast<long>(demo.inputs.size()) + demo.ended, lines) << text;
    }
}

// The long golden game (four levels, intros, lives lost, the end of the
// game) played by the game binary shows the same pictures when the C
// library's rand() gives another sequence; a copy cut short in the middle
// of a line plays to the frame of its last whole input.
TEST(Demo, PlaysTheSameWithAnotherRandAndCutShort)
{
    const std::string golden = FROSTRUN_ASSET_DIR "/../tests/replay/golden/long.demo";
    const std::string demo = temp("game.demo");
    const std::string sums = temp("played.sums");
    const auto play = [&](const std::string& file, const std::string& env) {
        std::remove(sums.c_str());
        const std::string answer = run_game("--timedemo " + file + " --frame-sums " + sums, env);
        return answer.substr(0, answer.find(" frames, "));
    };
    EXPECT_EQ(play(golden, "SDL_VIDEODRIVER=dummy"), "0|3416");
    const std::string pictures = slurp(sums);
    EXPECT_EQ(play(golden, "SDL_VIDEODRIVER=dummy LD_PRELOAD=" OTHER_RAND
                           " ASAN_OPTIONS=verify_asan_link_order=0"),
              "0|3416");
    EXPECT_TRUE(slurp(sums) == pictures);

    const std::string text = slurp(golden);
    const std::size_t cut = text.find(" key", text.find("\n1154 "));  // the input after 1147
    std::ofstream(demo, std::ios::binary) << text.substr(0, cut);
    EXPECT_EQ(play(demo, "SDL_VIDEODRIVER=dummy"), "0|1147");
    EXPECT_TRUE(slurp(sums) == pictures.substr(0, pictures.find("\n1148 ") + 1));
}

// Demos: the reader against hostile and mutated files, and a recorded game
// played back by the game binary with the same pictures, whatever the C
// library's rand() gives.
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
#include "base/demo_input.h"
#include "base/frame_sums.h"
#include "loop/game_loop.h"
#include "support/harness.h"

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
        for (const char* name : {"out", "err", "bad.demo", "game.demo", "recorded.sums",
                                 "played.sums"}) {
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

// One game as a player plays it, recorded: walking, jumping, catching up
// to level 2, the level intro answered after other keys, a life lost to
// the opponent, q. Answers its pictures' checksums.
std::string record_game(const std::string& demo_path)
{
    const struct {
        int step;
        SDLKey key;
    } keys[] = {{3, SDLK_RIGHT},  {11, SDLK_UP},     {43, SDLK_RIGHT}, {83, SDLK_UP},
                {91, SDLK_RIGHT}, {99, SDLK_UP},     {107, SDLK_RIGHT}, {115, SDLK_UP},
                {171, SDLK_RIGHT}, {195, SDLK_UP},   {299, SDLK_RIGHT}, {307, SDLK_UP},
                {323, SDLK_RIGHT}, {339, SDLK_UP},   {475, SDLK_LEFT}, {548, SDLK_SPACE},
                {555, SDLK_UP},   {627, SDLK_LEFT},  {628, SDLK_SPACE}, {635, SDLK_UP},
                {675, SDLK_LEFT}, {676, SDLK_SPACE}, {683, SDLK_UP},   {691, SDLK_RIGHT},
                {707, SDLK_LEFT}, {715, SDLK_RIGHT}, {723, SDLK_LEFT}, {724, SDLK_SPACE},
                {731, SDLK_UP},   {747, SDLK_RIGHT}, {796, SDLK_SPACE}, {803, SDLK_UP},
                {827, SDLK_RIGHT}, {835, SDLK_LEFT}, {840, SDLK_UP},   {1012, SDLK_q}};
    const auto press = [](SDLKey key) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    };
    // The level intro's pulses wait 100 ms: keys at its 3rd, 4th and 6th.
    int pulses = 0;
    fake::platform().on_delay = [&](Uint32 ms) {
        pulses += ms == 100;
        if (ms == 100 && (pulses == 3 || pulses == 4 || pulses == 6)) {
            press(pulses == 6 ? SDLK_q : pulses == 3 ? SDLK_SPACE : SDLK_a);
        }
    };
    harness::use_dummy_drivers();
    EXPECT_EQ(chdir(FROSTRUN_ASSET_DIR), 0);
    EXPECT_TRUE(start_recording(demo_path.c_str()));
    EXPECT_TRUE(start_frame_sums(temp("recorded.sums").c_str()));
    std::size_t next = 0;
    for (int step = 1; game_step() == 'Y' && step < 2000; ++step) {
        for (; next < std::size(keys) && keys[next].step == step + 1; ++next) {
            press(keys[next].key);
        }
    }
    finish_recording();
    finish_frame_sums();
    return slurp(temp("recorded.sums"));
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
        {kHeader + "1000000000 play 0 key 32\n",
         "line 3: frame number '1000000000' is not one from 1 to 999999999"},
        {kHeader + "5 play 0 key 400\n", "line 3: key value out of range"},
        {kHeader + "5 play 0 joystick 3\n", "line 3: unknown kind of input 'joystick'"},
        {kHeader + "5 play 0 close 1\n", "line 3: close value out of range"},
        {kHeader + "5 nap 0 key 32\n", "line 3: unknown wait 'nap'"},
        {kHeader + "5 play  0 key 32\n", "line 3: not an input line"},
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

// A recorded game, its level intro and a lost life included, played back
// by the game binary with --timedemo shows every picture of the recorded
// run, also when the C library's rand() gives another sequence; a copy cut
// short in the middle of a line plays to the frame of its last whole input.
TEST(Demo, RecordedGamePlaysBackWithTheSamePictures)
{
    const std::string demo = temp("game.demo");
    const std::string recorded = record_game(demo);
    ASSERT_GT(recorded.size(), 1000 * 20u);
    const std::string sums = temp("played.sums");
    const std::string timedemo = "--timedemo " + demo + " --frame-sums " + sums;
    const std::string answer = run_game(timedemo, "SDL_VIDEODRIVER=dummy");
    EXPECT_EQ(answer.substr(0, 14), "0|1011 frames,") << answer;
    EXPECT_TRUE(slurp(sums) == recorded);
    std::remove(sums.c_str());
    const std::string preloaded = "SDL_VIDEODRIVER=dummy LD_PRELOAD=" OTHER_RAND
                                  " ASAN_OPTIONS=verify_asan_link_order=0";
    EXPECT_EQ(run_game(timedemo, preloaded).substr(0, 14), "0|1011 frames,");
    EXPECT_TRUE(slurp(sums) == recorded);

    const std::string text = slurp(demo);
    EXPECT_NE(text.find(" intro 3 key 32\n"), std::string::npos);  // after three pulses
    const std::size_t cut = text.find(" key", text.find("\n746 play"));
    std::ofstream(demo, std::ios::binary) << text.substr(0, cut);
    std::remove(sums.c_str());
    EXPECT_EQ(run_game(timedemo, "SDL_VIDEODRIVER=dummy").substr(0, 14), "0|730 frames, ");
    EXPECT_TRUE(slurp(sums) == recorded.substr(0, recorded.find("\n731 ") + 1));
}

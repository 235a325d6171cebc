// The best-scores table: its reader against damaged text, and its file
// against kills, failures, full disks and games ending together.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "base/score_file.h"
#include "support/harness.h"

namespace {

const std::string kDate = "2026-12-06T15:03:05Z";  // the fake platform's date
const std::string kHead = "frostrun scores 1\n";

std::string fresh_folder() { return harness::own_data_folder("/data/frostrun"); }

// Saves a game of `score`; answers its rank in the table answered and
// what standard error said.
std::string save(long long score)
{
    testing::internal::CaptureStderr();
    const int rank = save_game({score, 3, fake::platform().date}).rank;
    return std::to_string(rank) + " " + testing::internal::GetCapturedStderr();
}

const char* stop_at = "";
int stop_here(const char* step) { return std::strcmp(step, stop_at) == 0 ? raise(SIGSTOP) : 0; }
int fail_here(const char* step) { return std::strcmp(step, stop_at) == 0 ? EIO : 0; }

}  // namespace

TEST(ScoreTable, ReaderTakesWellFormedTablesOnly)
{
    const std::string game = " 1 " + kDate + "\n";
    std::string eleven = kHead;
    for (int i = 0; i < 11; ++i) {
        eleven += "5" + game;
    }
    const struct {
        std::string text;
        TableText found;
        int games;
    } cases[] = {
        {kHead, TableText::kRead, 0},
        {kHead + "5" + game + "999999999999" + game, TableText::kRead, 2},
        {kHead + "5 1 " + kDate, TableText::kDamaged, 0},  // truncated: the last line unended
        {"", TableText::kDamaged, 0},
        {std::string("\0\xff\n\x80junk\n", 10), TableText::kDamaged, 0},
        {kHead + "1234567890123" + game, TableText::kDamaged, 0},  // huge
        {kHead + "-5" + game, TableText::kDamaged, 0},
        {kHead + "05" + game, TableText::kDamaged, 0},
        {kHead + "5 0 " + kDate + "\n", TableText::kDamaged, 0},
        {kHead + "5 1 2026-02-30T15:03:05Z\n", TableText::kDamaged, 0},
        {"frostrun scores 0\n", TableText::kDamaged, 0},
        {eleven, TableText::kDamaged, 0},
        {"frostrun scores 2\n5" + game, TableText::kNewer, 1},
        {"frostrun scores 99\nfive golden rings\n", TableText::kNewer, 0},
    };
    for (const auto& c : cases) {
        ScoreTable table;
        EXPECT_EQ(parse_table(c.text, table), c.found) << c.text;
        EXPECT_EQ(table.count, c.games) << c.text;
    }
    ScoreTable table;
    // Random damage: whatever reads as a table writes back as one.
    std::mt19937 random(19);
    for (int i = 0; i < 20000; ++i) {
        std::string text = eleven.substr(0, random() % eleven.size());
        for (unsigned k = random() % 4; k > 0 && !text.empty(); --k) {
            text[random() % text.size()] = static_cast<char>(random() % 64 + '-');
        }
        ScoreTable again;
        if (parse_table(text, table) == TableText::kRead) {
            ASSERT_EQ(parse_table(format_table(table), again), TableText::kRead) << text;
            ASSERT_EQ(format_table(again), format_table(table)) << text;
        }
    }
}

// A damaged table (a folder where it should be too) is kept aside under a
// new name; a newer version's is left alone; with nowhere to write, or a
// full disk, only the save is lost: the game is in the table answered.
TEST(ScoreFile, DamagedNewerOrUnwritableTablesNeverStopTheGame)
{
    const std::string folder = fresh_folder();
    const std::string path = folder + "/scores";
    EXPECT_EQ(save(120), "0 ");
    EXPECT_EQ(harness::read_text(path), kHead + "120 3 " + kDate + "\n");
    const std::string aside = path + ".damaged-20261206T150305Z";
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    for (const char* suffix : {"", "-2", "-3"}) {
        EXPECT_EQ(save(5), "0 frostrun: the score table " + path + " was damaged (" +
                               (*suffix ? "not a score table" : "not a file") + "); kept as " +
                               aside + suffix + "\n");
        EXPECT_EQ(harness::read_text(path), kHead + "5 3 " + kDate + "\n");
        std::ofstream(path) << "junk" << suffix;
    }
    EXPECT_TRUE(std::filesystem::is_directory(aside));
    EXPECT_EQ(harness::read_text(aside + "-3"), "junk-2");
    const std::string newer = "frostrun scores 2\n50 3 " + kDate + "\n";
    const std::string not_saved = "0 frostrun: score not saved: ";
    std::ofstream(path) << newer;
    EXPECT_EQ(save(60), not_saved + "the table " + path + " is of a newer version of the game\n");
    std::ofstream(path) << kHead + "50 3 " + kDate + "\n";
    const struct {
        std::string folder;
        const char* failing_step;
        std::string why;
    } cases[] = {
        {"", "", "no home folder (neither HOME nor XDG_DATA_HOME is set)"},
        {"/dev/null/frostrun", "", "/dev/null/frostrun: Not a directory"},
        {folder, "written", "No space left on device"},
        {folder, "locked", folder + "/scores.lock: No space left on device"},
    };
    set_save_step_hook([](const char* step) { return std::strcmp(step, stop_at) ? 0 : ENOSPC; });
    for (const auto& c : cases) {
        fake::platform().data_folder = c.folder;
        stop_at = c.failing_step;
        EXPECT_EQ(save(60), not_saved + c.why + "\n");
        EXPECT_EQ(harness::read_text(path), kHead + "50 3 " + kDate + "\n");
        EXPECT_FALSE(std::filesystem::exists(folder + "/scores.new"));
    }
}

// A writer stopped and killed at each step leaves the old table or the new
// one, and the next game enters; a step that fails leaves the old one.
TEST(ScoreFile, KilledOrFailingAtAnyStepLeavesTheOldTableOrTheNew)
{
    const std::string folder = fresh_folder();
    const std::string path = folder + "/scores";
    save(1);
    const char* steps[] = {"folder made", "locked", "created", "half written",
                           "written", "synced", "renamed", "folder synced"};
    long long score = 1;
    for (int k = 0; k < 8; ++k) {
        const bool renamed = k >= 6;
        const std::string old_table = harness::read_text(path);
        stop_at = steps[k];
        const pid_t writer = fork();
        if (writer == 0) {
            set_save_step_hook(stop_here);
            save(score + 1);
            _exit(0);
        }
        int status = 0;
        waitpid(writer, &status, WUNTRACED);
        ASSERT_TRUE(WIFSTOPPED(status)) << stop_at;
        kill(writer, SIGKILL);
        waitpid(writer, &status, 0);
        // The killed game's score is the best: the new table starts with it.
        const std::string whole = renamed ? kHead + std::to_string(score + 1) + " 3 " : old_table;
        EXPECT_EQ(harness::read_text(path).substr(0, whole.size()), whole) << stop_at;
        set_save_step_hook(fail_here);
        score += 2;
        EXPECT_EQ(save(score) == "0 ", renamed) << stop_at;
        set_save_step_hook(nullptr);
        EXPECT_EQ(save(++score), "0 ") << stop_at;
        EXPECT_FALSE(std::filesystem::exists(folder + "/scores.new")) << stop_at;
    }
}

// Twelve games ending at once: the ten best are kept, best first.
TEST(ScoreFile, GamesEndingTogetherAllEnter)
{
    const std::string folder = fresh_folder();
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    constexpr int kWriters = 12;
    for (int i = 1; i <= kWriters; ++i) {
        if (fork() == 0) {
            char go = 0;
            const bool opened = read(gate[0], &go, 1) == 1;
            _exit(opened && save(i).find("frostrun") == std::string::npos ? 0 : 1);
        }
    }
    ASSERT_EQ(write(gate[1], "go, all twelve", kWriters), kWriters);
    for (int i = 0; i < kWriters; ++i) {
        int status = 1;
        wait(&status);
        EXPECT_EQ(status, 0);
    }
    std::string games = kHead;
    for (int i = kWriters; i > kWriters - kTableSize; --i) {
        games += std::to_string(i) + " 3 " + kDate + "\n";
    }
    EXPECT_EQ(harness::read_text(folder + "/scores"), games);
}

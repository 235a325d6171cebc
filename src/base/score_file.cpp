#include "base/score_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/platform.h"

namespace {

constexpr char kTableName[] = "/scores";
constexpr char kLockName[] = "/scores.lock";
constexpr char kNewName[] = "/scores.new";
constexpr char kAsideSuffix[] = ".damaged-";
constexpr off_t kMaxFileBytes = 4096;  // ten games take about 400
constexpr int kLockTries = 1000;       // 10 s in steps of 10 ms
constexpr long kLockStepNs = 10000000;
constexpr int kAsideNames = 100;

SaveStepHook step_hook = nullptr;

// Passes one step of a save; false (errno set) when a test fails it here.
bool step(const char* name)
{
    const int failure = step_hook != nullptr ? step_hook(name) : 0;
    errno = failure;
    return failure == 0;
}

// The one line that says why this game's score was not saved.
void not_saved(const std::string& why)
{
    std::fprintf(stderr, "frostrun: score not saved: %s\n", why.c_str());
}

std::string error_text() { return std::strerror(errno); }

// Makes the folder and those above it that are missing, private to the
// player.
bool make_folders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// Takes the lock file's lock, waiting a bounded time for another game.
int take_lock(const std::string& folder)
{
    const int fd = open((folder + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return -1;
    }
    const timespec pause = {0, kLockStepNs};
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return fd;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            break;
        }
        nanosleep(&pause, nullptr);
    }
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
}

// Writes all of `text` to `fd`; false (errno set) when a write fails.
bool write_all(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Puts `text` in place of the table: a new file beside it, written, synced
// and renamed over it, then the folder synced so that the rename lasts. A
// process killed at any moment leaves the old table or the new one.
bool replace_table(const std::string& folder, const std::string& text)
{
    const std::string new_path = folder + kNewName;
    const int fd = open(new_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const std::size_t half = text.size() / 2;
    bool done = step("created") && write_all(fd, text.substr(0, half)) &&
                step("half written") && write_all(fd, text.substr(half)) && step("written") &&
                fsync(fd) == 0 && step("synced");
    int error = errno;
    if (close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    if (!done || rename(new_path.c_str(), (folder + kTableName).c_str()) != 0) {
        error = done ? errno : error;
        unlink(new_path.c_str());
        errno = error;
        return false;
    }
    const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The new table is in place; a folder that cannot be synced only risks
    // the rename on a power cut, so the save still counts.
    if (folder_fd >= 0) {
        step("renamed");
        fsync(folder_fd);
        close(folder_fd);
        step("folder synced");
    }
    return true;
}

// Renames a damaged table aside under a name no file has yet.
bool set_aside(const std::string& path, std::string& aside)
{
    char stamp[32];
    const std::time_t now = platform::now();
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    struct stat info;
    for (int k = 1; k <= kAsideNames; ++k) {
        aside = path + kAsideSuffix + stamp + (k > 1 ? "-" + std::to_string(k) : "");
        if (lstat(aside.c_str(), &info) != 0 && errno == ENOENT) {
            return rename(path.c_str(), aside.c_str()) == 0;
        }
    }
    errno = EEXIST;
    return false;
}

// Reads a file of at most kMaxFileBytes; sets `problem` when it is no such
// file or cannot be read.
std::string read_small_file(int fd, std::string& problem)
{
    struct stat info;
    std::string text;
    if (fstat(fd, &info) != 0) {
        problem = error_text();
        return text;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = "not a file";
        return text;
    }
    char buffer[kMaxFileBytes + 1];
    ssize_t got = 0;
    do {
        got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
    } while ((got > 0 || (got < 0 && errno == EINTR)) &&
             text.size() <= static_cast<std::size_t>(kMaxFileBytes));
    if (got < 0) {
        problem = error_text();
    } else if (text.size() > static_cast<std::size_t>(kMaxFileBytes)) {
        problem = "too large";
    }
    return text;
}

// Enters the game in the table file; the lock is held. Answers an empty
// string when the table was saved (or did not change), else why not.
std::string enter_under_lock(const std::string& folder, const ScoreEntry& game,
                             EnteredGame& entered)
{
    const std::string path = folder + kTableName;
    // A new file left by a writer that was killed is of no use: the old
    // table is whole.
    if (unlink((folder + kNewName).c_str()) != 0 && errno != ENOENT) {
        return error_text();
    }
    std::string problem;
    const TableText found = read_score_file(path, entered.table, problem);
    entered.rank = enter_game(entered.table, game);
    if (found == TableText::kNewer) {
        return "the table " + path + " is of a newer version of the game";
    }
    bool changed = entered.rank != kNotEntered;
    if (found == TableText::kDamaged) {
        std::string aside;
        if (!set_aside(path, aside)) {
            return "the damaged table " + path + " cannot be kept aside: " + error_text();
        }
        std::fprintf(stderr, "frostrun: the score table %s was damaged (%s); kept as %s\n",
                     path.c_str(), problem.c_str(), aside.c_str());
        changed = true;  // the table read as empty, and the game entered it
    }
    if (changed && !replace_table(folder, format_table(entered.table))) {
        return error_text();
    }
    return "";
}

}  // namespace

std::string data_folder_from(const char* xdg_data_home, const char* home)
{
    if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
        return std::string(xdg_data_home) + "/frostrun";
    }
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/share/frostrun";
    }
    return "";
}

std::string score_file_path()
{
    const std::string folder = platform::data_folder();
    return folder.empty() ? "" : folder + kTableName;
}

EnteredGame save_game(const ScoreEntry& game)
{
    EnteredGame entered;
    const std::string folder = platform::data_folder();
    if (folder.empty()) {
        entered.rank = enter_game(entered.table, game);
        not_saved("no home folder (neither HOME nor XDG_DATA_HOME is set)");
        return entered;
    }
    if (!make_folders(folder) || !step("folder made")) {
        entered.rank = enter_game(entered.table, game);
        not_saved(folder + ": " + error_text());
        return entered;
    }
    const int lock = take_lock(folder);
    if (lock < 0 || !step("locked")) {
        std::string problem;
        const bool busy = lock < 0 && errno == EWOULDBLOCK;
        const std::string why = folder + kLockName + ": " +
                                (busy ? "another game held it too long" : error_text());
        read_score_file(folder + kTableName, entered.table, problem);
        entered.rank = enter_game(entered.table, game);
        not_saved(why);
        if (lock >= 0) {
            close(lock);
        }
        return entered;
    }
    const std::string why = enter_under_lock(folder, game, entered);
    if (!why.empty()) {
        not_saved(why);
    }
    close(lock);
    return entered;
}

TableText read_score_file(const std::string& path, ScoreTable& table, std::string& problem)
{
    table = ScoreTable{};
    problem.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {
        return TableText::kRead;
    }
    if (fd < 0) {
        problem = error_text();
        return TableText::kDamaged;
    }
    const std::string text = read_small_file(fd, problem);
    close(fd);
    if (!problem.empty()) {
        return TableText::kDamaged;
    }
    const TableText found = parse_table(text, table);
    if (found == TableText::kDamaged) {
        problem = "not a score table";
    }
    return found;
}

void set_save_step_hook(SaveStepHook hook) { step_hook = hook; }

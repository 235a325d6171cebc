// The table of the ten best games: its entries, its text form and how a new
// game takes its place. Pure: the file it lives in is score_file's.
#pragma once

#include <ctime>
#include <string>

constexpr int kTableSize = 10;
constexpr int kTableVersion = 1;  // the form this game writes
constexpr int kNotEntered = -1;   // the rank of a game the table does not keep

struct ScoreEntry {
    long long score = 0;  // the true score, past 999 too
    int level = 0;        // the level reached
    std::time_t date = 0;  // when the game ended, seconds since 1970 (UTC)
};

// The best games, best first; among equal scores the earlier game first.
struct ScoreTable {
    int version = kTableVersion;  // of the file it was read from
    int count = 0;
    ScoreEntry entries[kTableSize];
};

// The table as the file holds it: a version line, then one line per game,
// "SCORE LEVEL DATE" with the date in UTC as 2026-12-06T17:03:05Z.
std::string format_table(const ScoreTable& table);

// What the text of a table file turned out to be.
enum class TableText {
    kRead,     // this version's table, in `table`
    kNewer,    // a newer version's: `table` holds its games when their lines
               // read as this version's, else none; never to be rewritten
    kDamaged,  // not a table
};

// Reads the text of a table file: the version line, at most ten lines of
// games, each line ended; a game out of order is put in its place.
TableText parse_table(const std::string& text, ScoreTable& table);

// Puts a game in its place: below every game with the same or a better
// score, the last game dropped when more than ten are left. Answers the
// game's rank from 0, or kNotEntered when it did not enter.
int enter_game(ScoreTable& table, const ScoreEntry& game);

// The date as the file writes it (2026-12-06T17:03:05Z).
std::string format_date(std::time_t date);

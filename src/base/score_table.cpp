#include "base/score_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kVersionWords[] = "frostrun scores ";
constexpr std::size_t kMaxScoreDigits = 12;
constexpr std::size_t kMaxLevelDigits = 6;
constexpr std::size_t kMaxVersionDigits = 6;
constexpr std::size_t kDateChars = 20;  // 2026-12-06T17:03:05Z

// Reads a whole number of 1 to `max_digits` digits, without sign or leading
// zero, from `at` up to the next space or the end; moves `at` past it.
bool read_number(const std::string& line, std::size_t& at, std::size_t max_digits,
                 long long& value)
{
    const std::size_t end = std::min(line.find(' ', at), line.size());
    const std::size_t digits = end - at;
    if (digits == 0 || digits > max_digits || (digits > 1 && line[at] == '0')) {
        return false;
    }
    value = 0;
    for (; at < end; ++at) {
        if (line[at] < '0' || line[at] > '9') {
            return false;
        }
        value = value * 10 + (line[at] - '0');
    }
    return true;
}

// Reads a date as format_date writes it; any other spelling of a moment
// (a month 13, a missing zero) is refused.
bool read_date(const std::string& text, std::time_t& date)
{
    std::tm parts{};
    if (text.size() != kDateChars ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ", &parts.tm_year, &parts.tm_mon,
                    &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec) != 6) {
        return false;
    }
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    date = timegm(&parts);
    return date >= 0 && format_date(date) == text;
}

// One game's line: "SCORE LEVEL DATE".
bool read_game(const std::string& line, ScoreEntry& game)
{
    std::size_t at = 0;
    long long level = 0;
    if (!read_number(line, at, kMaxScoreDigits, game.score) || at == line.size() ||
        !read_number(line, ++at, kMaxLevelDigits, level) || level < 1 || at == line.size()) {
        return false;
    }
    game.level = static_cast<int>(level);
    return read_date(line.substr(at + 1), game.date);
}

// Reads the games' lines after the version line; false at the first line
// that is not a game's or past the tenth.
bool read_games(const std::string& text, std::size_t at, ScoreTable& table)
{
    table.count = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos || table.count == kTableSize ||
            !read_game(text.substr(at, end - at), table.entries[table.count])) {
            table.count = 0;
            return false;
        }
        table.count += 1;
        at = end + 1;
    }
    std::stable_sort(table.entries, table.entries + table.count,
                     [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
    return true;
}

}  // namespace

std::string format_date(std::time_t date)
{
    std::tm parts{};
    gmtime_r(&date, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string format_table(const ScoreTable& table)
{
    std::string text = kVersionWords + std::to_string(kTableVersion) + "\n";
    for (int i = 0; i < table.count; ++i) {
        const ScoreEntry& game = table.entries[i];
        text += std::to_string(game.score) + " " + std::to_string(game.level) + " " +
                format_date(game.date) + "\n";
    }
    return text;
}

TableText parse_table(const std::string& text, ScoreTable& table)
{
    table = ScoreTable{};
    const std::size_t words = std::strlen(kVersionWords);
    const std::size_t line_end = text.find('\n');
    long long version = 0;
    std::size_t at = words;
    if (text.compare(0, words, kVersionWords) != 0 || line_end == std::string::npos ||
        !read_number(text.substr(0, line_end), at, kMaxVersionDigits, version) ||
        at != line_end || version < 1) {
        return TableText::kDamaged;
    }
    table.version = static_cast<int>(version);
    const bool games_read = read_games(text, line_end + 1, table);
    if (version > kTableVersion) {
        return TableText::kNewer;
    }
    return games_read ? TableText::kRead : TableText::kDamaged;
}

int enter_game(ScoreTable& table, const ScoreEntry& game)
{
    int rank = 0;
    while (rank < table.count && table.entries[rank].score >= game.score) {
        ++rank;
    }
    if (rank == kTableSize) {
        return kNotEntered;
    }
    const int kept = std::min(table.count, kTableSize - 1);
    for (int i = kept; i > rank; --i) {
        table.entries[i] = table.entries[i - 1];
    }
    table.entries[rank] = game;
    table.count = kept + 1;
    return rank;
}

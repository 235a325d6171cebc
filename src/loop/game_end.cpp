#include "loop/game_end.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/input.h"
#include "base/platform.h"
#include "base/score_file.h"
#include "screens/game_over.h"
#include "screens/lives.h"
#include "world/world_state.h"
#include "world/world_tick.h"

void end_game(SDL_Surface* screen, SDL_Surface* sprites, SDL_Surface* backdrop)
{
    const WorldState& world = world_state();
    ScoreEntry game;
    // The hundreds are never wrapped, so this is the true score past 999.
    game.score = world.score_hundreds * 100LL + world.score_tens * 10 + world.score_units;
    game.level = std::max(world.level, 1);
    game.date = platform::now();
    const EnteredGame entered = save_game(game);
    // A close request that ended the last frame ends the run without it.
    if (lives_left() == 0 && !close_requested()) {
        const FinalScore final_score = {game.score, game.level, &entered.table, entered.rank};
        game_over(screen, sprites, backdrop, final_score);
    }
}

int print_scores()
{
    const std::string path = score_file_path();
    if (path.empty()) {
        std::fputs("frostrun: no score table: neither HOME nor XDG_DATA_HOME is set\n", stderr);
        return 1;
    }
    ScoreTable table;
    std::string problem;
    const TableText found = read_score_file(path, table, problem);
    if (found == TableText::kDamaged) {
        std::fprintf(stderr, "frostrun: the score table %s cannot be read: %s\n", path.c_str(),
                     problem.c_str());
        return 1;
    }
    if (found == TableText::kNewer) {
        std::fprintf(stderr, "frostrun: the score table %s is of a newer version%s\n",
                     path.c_str(), table.count == 0 ? "; its games cannot be read" : "");
    }
    std::string text;
    if (table.count == 0) {
        text = "No games in the best-scores table yet (" + path + ").\n";
    } else {
        text = "Best games (" + path + "):\nrank        score  level  date\n";
    }
    for (int i = 0; i < table.count; ++i) {
        const ScoreEntry& game = table.entries[i];
        std::string date = format_date(game.date);
        date[10] = ' ';
        date.back() = ' ';
        char line[96];
        std::snprintf(line, sizeof line, "%4d %12lld %6d  %sUTC\n", i + 1, game.score,
                      game.level, date.c_str());
        text += line;
    }
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("frostrun: cannot write the table");
        return 1;
    }
    return 0;
}

// The best-scores table on disk, kept as a careful editor keeps a file: a
// new table is written beside the old one, synced and renamed over it, under
// a lock that lets two games ending at once both enter. Read and written
// only at the end of a run or for --scores, never in a frame.
#pragma once

#include <string>

#include "base/score_table.h"

// The game's data folder from the two variables that name it:
// $XDG_DATA_HOME/frostrun (when absolute), else $HOME/.local/share/frostrun;
// "" when neither names one.
std::string data_folder_from(const char* xdg_data_home, const char* home);

// The table file in the platform's data folder; "" when there is none.
std::string score_file_path();

// The table with one more game, and that game's rank (kNotEntered when it
// did not enter).
struct EnteredGame {
    ScoreTable table;
    int rank = kNotEntered;
};

// Enters a game in the table file and answers the table it is now part of.
// A damaged table is renamed aside and a new one started; a newer version's
// table is left as it is. Whatever stops the save, the game is still entered
// in the table answered, and one line on standard error says the score was
// not saved.
EnteredGame save_game(const ScoreEntry& game);

// Reads the table file for a player to see, changing nothing: kRead with
// an empty table when there is no file yet; for a file that cannot be read
// kDamaged and, in `problem`, why.
TableText read_score_file(const std::string& path, ScoreTable& table, std::string& problem);

// For tests: called at each step of a save with its name; an answer other
// than 0 fails that step with that error number, as a failing call would.
using SaveStepHook = int (*)(const char* step);
void set_save_step_hook(SaveStepHook hook);

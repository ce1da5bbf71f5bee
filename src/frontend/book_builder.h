// Building the opening book from the games of PGN files.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "frontend/opening_book.h"

namespace tarn {

constexpr int MinBuildMove = 1, MaxBuildMove = 30;

struct BookBuildLimits {
  int maxGames = 50000;
  int fromMove = 1;    // the first full move whose positions are added
  int upToMove = 10;   // the last one
};

// The save filter applied after a build: how often a position must occur and
// how well the side that moved into it must have scored.
struct BookFilter {
  int minGames = 1;
  double whitePercent = 50;
  double blackPercent = 40;
};

// Told of the games read so far after every eighth game; returning false stops
// the build there.
using BookBuildProgress = std::function<bool(int gamesRead)>;

// Adds the positions of the games of a PGN file to `book`: for each game (at
// most maxGames) the positions after plies 2F-1 to 2U, each counted as a win,
// draw or loss of the side that moved into it. A game stops at its first move
// that cannot be played; a game whose FEN tag is no position is skipped.
// Returns the number of games read, or -1 when the file cannot be opened.
int buildFromPgn(OpeningBook& book, const std::string& path, const BookBuildLimits& limits,
                 const BookBuildProgress& progress = {});

// The book that the filtered save of `book` would give: its plain entries and
// the game entries that pass `filter`, each with value 0.
std::unique_ptr<OpeningBook> filteredBook(OpeningBook& book, const BookFilter& filter);

}  // namespace tarn

// Writing games as PGN: appended to a game file, or as a transcript for the clipboard.
#pragma once

#include <string>

#include "board/game_record.h"
#include "platform/local_time.h"

namespace tarn {

// What a saved game says besides its moves.
struct GameTags {
  std::string white = "X";
  std::string black = "X";
  int result = GameRunning;       // a GameResult
  int round = -1;                 // the Round tag is written only when >= 0
  bool chess960 = false;
  double baseMinutes = 0;         // clock: base time in minutes and increment in seconds
  double incrementSeconds = 0;
  int currentPly = 0;             // the ply shown when the game was saved
  LocalTime time;                 // when the game was saved
};

// "1-0", "0-1", "1/2-1/2" or "*".
const char* resultText(int gameResult);

// True when the record starts from the standard start position.
bool startsFromStandardPosition(const GameRecord& record);

// The game as PGN: the tags, a blank line, one full move a line, the
// termination marker and a blank line.
std::string pgnGameText(const GameRecord& record, const GameTags& tags);

// Appends the game to the file at `path`. A failed write leaves the file as it
// was; `error` then says why.
bool appendGameToFile(const std::string& path, const GameRecord& record, const GameTags& tags,
                      std::string* error = nullptr);

// The moves as text for the clipboard, laid out as in a saved game; a game from
// another start position is preceded by its FEN tags. Moves that would take the
// text beyond `maxLength` characters are left out.
std::string transcriptText(const GameRecord& record, bool chess960, size_t maxLength);

}  // namespace tarn

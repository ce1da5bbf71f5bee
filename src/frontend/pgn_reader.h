// Reading the games of a PGN file one after another.
//
// A game starts at a line that begins with one of the tags that open games in
// practice ("[Event", "[Site", "[Date", "[Round", "[White", "[Black", "[Result",
// "[ECO", "[PlyCount", "[EventDate"); lines before the first such line belong to
// no game. The tag lines that follow it form the header. The move text is every
// further line up to the next game's first line. A blank line after the tags
// belongs to neither; a line of moves written directly after the tags belongs to
// the move text.
//
// Any bytes are read without harm: a byte-order mark at the start of the file is
// skipped, line ends may be "\n" or "\r\n", and lines and move texts are cut to
// fixed limits (a game's move text keeps whole words).
#pragma once

#include <cstdio>
#include <string>

#include "frontend/pgn_header.h"

namespace tarn {

constexpr size_t MaxMoveTextLength = 100000;

class PgnReader {
 public:
  // Reads from `file`, which stays the caller's.
  explicit PgnReader(std::FILE* file) : file(file) {}

  // The next game: its header (reset to the defaults first) and move text.
  // False at the end of the file, when no further game starts.
  bool nextGame(PgnHeader& header, std::string& moveText);

  // Games started so far.
  int gamesRead() const { return games; }

  // True when the last game's move text was longer than the reader keeps and was cut.
  bool moveTextWasCut() const { return textCut; }

 private:
  bool readLine(std::string& line);
  bool fill();

  std::FILE* file;
  std::string pending;        // the first line of the next game, once seen
  bool hasPending = false;
  bool atStart = true;
  bool cutLines = false;   // the line just read was cut
  bool textCut = false;
  int games = 0;
  char buffer[1 << 16];
  size_t bufferPos = 0, bufferEnd = 0;
};

// True when `line` starts a game.
bool startsPgnGame(std::string_view line);

// Reads game `n` (1-based) of `file` from where the file stands: returns n when
// it exists, with its header and move text, else the number of games found.
int readPgnGame(std::FILE* file, int n, PgnHeader& header, std::string& moveText);

}  // namespace tarn

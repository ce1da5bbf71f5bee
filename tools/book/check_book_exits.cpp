// Where games leave the book: reads a match's PGN file, whose moves carry the
// match runner's "{SCORE/DEPTH TIME}" comments (score from the mover's side,
// in pawns of the engine's own units), and finds for each side of each game that
// played a book move (reported at depth 1) the first move it searched instead.
// Prints the scores at those exits and every exit below the threshold with its
// position. A side that had no book move at all never followed the book.
//
//   check_book_exits [--engine NAME] [--below PAWNS] GAMES.pgn
//       NAME: only the sides this engine played (default: both sides)
//       PAWNS: the threshold (default -0.5)
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/notation.h"
#include "board/zobrist.h"
#include "frontend/game_files.h"
#include "frontend/pgn_reader.h"

using namespace tarn;

namespace {

constexpr double MateScore = 100;  // a mate counts as this many pawns

struct MoveComment {
  bool valid = false;
  double score = 0;
  int depth = 0;
};

// "+0.35/9 0.004s", "-M5/20 1.2s".
MoveComment readComment(const std::string& text) {
  MoveComment c;
  const size_t slash = text.find('/');
  if (slash == std::string::npos || slash == 0) return c;
  const std::string score = text.substr(0, slash);
  const size_t m = score.find('M');
  if (m != std::string::npos) c.score = score[0] == '-' ? -MateScore : MateScore;
  else c.score = std::atof(score.c_str());
  c.depth = std::atoi(text.c_str() + slash + 1);
  c.valid = true;
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  std::string engine, file;
  double below = -0.5;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--engine" && i + 1 < argc) engine = argv[++i];
    else if (arg == "--below" && i + 1 < argc) below = std::atof(argv[++i]);
    else file = arg;
  }
  std::FILE* in = file.empty() ? nullptr : std::fopen(file.c_str(), "rb");
  if (!in) {
    std::fprintf(stderr, "usage: check_book_exits [--engine NAME] [--below PAWNS] GAMES.pgn\n");
    return 2;
  }
  initZobrist();
  initAttackTables();

  PgnReader reader(in);
  PgnHeader header;
  std::string moveText;
  const auto record = std::make_unique<GameRecord>();
  int exits = 0, low = 0, bookPlies = 0, neverInBook = 0;
  double lowest = MateScore, sum = 0;
  while (reader.nextGame(header, moveText)) {
    Position start{};
    CastlingSetup setup{};
    bool chess960 = false;
    if (!readGameStart(header, start, setup, chess960)) continue;
    record->reset(start);
    Position end = start;
    parseMovetext(*record, moveText, end);
    bool left[2] = {false, false}, followed[2] = {false, false};
    for (int ply = start.ply; ply < record->count; ++ply) {
      const Color side = Color((ply - start.ply + (start.sideToMove == Black)) & 1);
      const std::string& name = side == White ? header.white : header.black;
      if (left[side] || (!engine.empty() && name != engine)) continue;
      const MoveComment c = readComment(record->comments[size_t(ply)]);
      if (!c.valid) continue;
      if (c.depth <= 1) {
        ++bookPlies;
        followed[side] = true;
        continue;
      }
      left[side] = true;
      if (!followed[side]) {
        ++neverInBook;
        continue;
      }
      ++exits;
      sum += c.score;
      lowest = std::min(lowest, c.score);
      if (c.score < below) {
        ++low;
        const Position at = record->positionAfter(ply);
        std::printf("round %d: %s leaves the book at %s scoring %+.2f\n", header.gameNumber, name.c_str(),
                    toFen(at).c_str(), c.score);
      }
    }
  }
  std::fclose(in);
  std::printf(
      "games %d, book moves %d, sides without a book move %d, exits %d, mean exit score %+.2f, lowest %+.2f, below "
      "%+.2f: %d\n",
      reader.gamesRead(), bookPlies, neverInBook, exits, exits ? sum / exits : 0.0, exits ? lowest : 0.0, below, low);
  return 0;
}

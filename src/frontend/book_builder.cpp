#include "frontend/book_builder.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "board/notation.h"
#include "frontend/game_files.h"
#include "frontend/pgn_reader.h"
#include "frontend/status_messages.h"

namespace tarn {

namespace {

constexpr int ProgressInterval = 8;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

int resultOf(const std::string& tag) {
  if (tag.find("1-0") != std::string::npos) return WhiteWon;
  if (tag.find("0-1") != std::string::npos) return BlackWon;
  if (tag.find("1/2-1/2") != std::string::npos) return GameDrawn;
  return GameRunning;
}

// The value that counts the game for the side that just moved.
int resultValue(int result, Color mover) {
  if (result == GameDrawn) return BookDraw;
  if ((result == WhiteWon && mover == White) || (result == BlackWon && mover == Black)) return BookWin;
  return BookLoss;
}

}  // namespace

int buildFromPgn(OpeningBook& book, const std::string& path, const BookBuildLimits& limits,
                 const BookBuildProgress& progress) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return -1;
  const int from = std::clamp(limits.fromMove, MinBuildMove, MaxBuildMove);
  const int upTo = std::clamp(limits.upToMove, MinBuildMove, MaxBuildMove);
  const int firstIndex = 2 * from - 2, lastIndex = 2 * upTo - 1;

  PgnReader reader(file.get());
  PgnHeader header;
  std::string moveText;
  const auto record = std::make_unique<GameRecord>();
  int games = 0;
  while (games < limits.maxGames && reader.nextGame(header, moveText)) {
    ++games;
    if (games % ProgressInterval == 0) {
      if (progress) {
        if (!progress(games)) break;
      } else if (statusShown()) {
        showStatus(std::to_string(games));
      }
    }
    Position start{};
    CastlingSetup setup{};
    bool chess960 = false;
    if (!readGameStart(header, start, setup, chess960)) continue;
    record->reset(start);
    Position pos = start;
    parseMovetext(*record, moveText, pos);

    const int result = resultOf(header.result);
    pos = start;
    for (int i = start.ply, j = 0; i < record->count && j <= lastIndex; ++i, ++j) {
      const Color mover = pos.sideToMove;
      if (!playMoveText(record->moveText(i), pos, nullptr)) break;
      if (j >= firstIndex) book.add(pos, resultValue(result, mover), true);
    }
  }
  return games;
}

std::unique_ptr<OpeningBook> filteredBook(OpeningBook& book, const BookFilter& filter) {
  auto result = std::make_unique<OpeningBook>();
  for (const BookRecord& r : book.filteredRecords(filter.minGames, filter.whitePercent, filter.blackPercent))
    result->add(r.key, r.value, MoverUnknown, true);
  return result;
}

}  // namespace tarn

#include "frontend/pgn_writer.h"

#include <algorithm>
#include <cstdio>

#include "board/fen.h"
#include "platform/file_writing.h"

namespace tarn {

namespace {

// A move line is at most "NNN. " and two padded moves with their blanks.
constexpr size_t LongestMoveLine = 32;

std::string formatted(const char* format, auto... values) {
  char buffer[256];
  const int length = std::snprintf(buffer, sizeof buffer, format, values...);
  return std::string(buffer, size_t(std::clamp(length, 0, int(sizeof buffer) - 1)));
}

// Move numbers before White's moves and before the first move, counting from 1;
// each move followed by a blank, a line end after Black's moves. The side to
// move decides, not the ply counter: a position read from a FEN with a move
// clock starts at ply 0 whichever side is to move.
std::string moveLines(const GameRecord& record, size_t maxLength) {
  std::string text;
  Color side = record.start.sideToMove;
  int number = 1;
  for (int i = record.start.ply; i < record.count && i < MaxRecordedPlies; ++i) {
    if (text.size() + LongestMoveLine > maxLength) break;
    if (side == White || i == record.start.ply) text += std::to_string(number) + ". ";
    text += record.moveText(i);
    text += ' ';
    if (side == Black) {
      text += '\n';
      ++number;
    }
    side = ~side;
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

// A tag value with the PGN escapes for quotes and backslashes.
std::string escaped(const std::string& value) {
  std::string text;
  for (char c : value) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  return text;
}

std::string setupTags(const GameRecord& record, bool chess960) {
  if (startsFromStandardPosition(record)) return "";
  std::string text = chess960 ? "[Variant \"fischerandom\"]\n" : "";
  return text + "[FEN \"" + toFen(record.start) + "\"]\n[SetUp \"1\"]\n";
}

}  // namespace

const char* resultText(int gameResult) {
  switch (gameResult) {
    case WhiteWon: return "1-0";
    case BlackWon: return "0-1";
    case GameDrawn: return "1/2-1/2";
    default: return "*";
  }
}

bool startsFromStandardPosition(const GameRecord& record) { return toFen(record.start) == StartFen; }

std::string pgnGameText(const GameRecord& record, const GameTags& tags) {
  const LocalTime& t = tags.time;
  std::string text = "[Event \"Tarn Chess Game\"]\n";
  // PGN writes an unknown date with question marks.
  text += t.year ? formatted("[Date \"%04d.%02d.%02d\"]\n", t.year, t.month, t.day) : "[Date \"????.??.??\"]\n";
  if (tags.round >= 0) text += formatted("[Round \"%d\"]\n", tags.round);
  if (tags.chess960) text += "[Variant \"fischerandom\"]\n";
  text += formatted("[Time \"%.2d:%.2d:%.2d\"]\n", t.hour, t.minute, t.second);
  text += formatted("[TimeControl \"%d+%.1f\"]\n", int(tags.baseMinutes * 60), tags.incrementSeconds);
  text += formatted("[CurrentPly \"%d\"]\n", tags.currentPly);
  text += "[White \"" + escaped(tags.white) + "\"]\n";
  text += "[Black \"" + escaped(tags.black) + "\"]\n";
  text += std::string("[Result \"") + resultText(tags.result) + "\"]\n";
  if (!startsFromStandardPosition(record))
    text += "[FEN \"" + toFen(record.start) + "\"]\n[SetUp \"1\"]\n";
  text += '\n';
  text += moveLines(record, std::string::npos);
  text += resultText(tags.result);
  text += "\n\n";
  return text;
}

bool appendGameToFile(const std::string& path, const GameRecord& record, const GameTags& tags, std::string* error) {
  return appendToFile(path, pgnGameText(record, tags), error);
}

std::string transcriptText(const GameRecord& record, bool chess960, size_t maxLength) {
  std::string text = setupTags(record, chess960);
  if (!text.empty()) text += '\n';
  if (text.size() >= maxLength) return "";
  return text + moveLines(record, maxLength - text.size());
}

}  // namespace tarn

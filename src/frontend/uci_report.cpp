#include "frontend/uci_report.h"

#include <cmath>
#include <cstdlib>

#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"

namespace tarn {

namespace {

constexpr int MateThreshold = 9501;   // |score| from here on prints as a mate distance
constexpr int MateBase = 10001;
constexpr int DrawishScore = 2;       // |score| up to this prints 0 late in the game
constexpr int DrawishPly = 80;

bool isPrintableMove(Move m) { return m != NullMove && !isMarker(m); }

}  // namespace

TimeFigures timeFigures(double elapsedSeconds, uint64_t nodes) {
  TimeFigures t;
  const double centiseconds = std::floor(elapsedSeconds * 100.0);
  t.centiseconds = centiseconds > 0 ? uint64_t(centiseconds) : 0;
  t.milliseconds = t.centiseconds * 10;
  t.nodesPerSecond = t.centiseconds ? nodes * 100 / t.centiseconds : 0;
  return t;
}

bool isLegalMove(const Position& pos, Move m) {
  if (!isPrintableMove(m)) return false;
  MoveList list(PromoteAll);
  generateLegal(pos, list);
  return list.contains(m);
}

std::string formatCurrentMoveLine(const CurrentMoveReport& report, const Position& root, bool chess960) {
  const TimeFigures t = timeFigures(report.elapsedSeconds, report.nodes);
  return "info depth " + std::to_string(report.depth) + " currmove " + moveToCoordinate(report.move, root, chess960) +
         " currmovenumber " + std::to_string(report.moveNumber) + " time " + std::to_string(t.milliseconds) +
         " nodes " + std::to_string(report.nodes) + " nps " + std::to_string(t.nodesPerSecond) + " hashfull " +
         std::to_string(report.hashFull);
}

std::string formatScore(int score, int depth, int gamePly) {
  if (std::abs(score) <= DrawishScore && gamePly > DrawishPly) score = 0;
  const char* kind = "cp";
  int number = score;
  if (std::abs(score) >= MateThreshold) {
    kind = "mate";
    number = (MateBase - std::abs(score)) / 2;
    if (score <= 0) number = -number;
  }
  if (number == 0 && depth == 0) number = 1;
  return std::string(kind) + " " + std::to_string(number);
}

std::string formatPv(const Position& root, std::span<const Move> moves, size_t maxMoves, bool chess960) {
  std::string text;
  Position pos = root;
  size_t printed = 0;
  for (Move m : moves) {
    if (printed >= maxMoves || !isLegalMove(pos, m)) break;
    if (printed) text += ' ';
    text += moveToCoordinate(m, pos, chess960);
    makeMoveChecked(pos, m);
    ++printed;
  }
  return text;
}

std::string formatPvLine(const PvReport& report, int index, const Position& root, bool chess960) {
  const ReportLine& line = report.lines[size_t(index)];
  // Lines after the one being searched still hold the previous iteration's result.
  const int depth = index <= report.searchedLine ? report.depth : report.depth - 1;
  const ReportBound bound = index == report.searchedLine ? report.bound : ReportBound::Exact;
  const size_t maxMoves = bound == ReportBound::Upper ? 2 : bound == ReportBound::Lower ? 1 : line.moves.size();
  const TimeFigures t = timeFigures(report.elapsedSeconds, report.nodes);

  std::string text = "info multipv " + std::to_string(index + 1) + " depth " + std::to_string(depth) + " seldepth " +
                     std::to_string(report.selDepth) + " score " + formatScore(line.score, depth, root.ply) + " ";
  if (bound == ReportBound::Upper) text += "upperbound ";
  if (bound == ReportBound::Lower) text += "lowerbound ";
  text += "time " + std::to_string(t.milliseconds) + " nodes " + std::to_string(report.nodes) + " nps " +
          std::to_string(t.nodesPerSecond) + " tbhits " + std::to_string(report.tbHits) + " hashfull " +
          std::to_string(report.hashFull) + " pv " + formatPv(root, line.moves, maxMoves, chess960);
  return text;
}

std::vector<std::string> formatPvLines(const PvReport& report, int count, const Position& root, bool chess960) {
  std::vector<std::string> lines;
  const int available = int(report.lines.size());
  for (int i = 0; i < count && i < available; ++i) lines.push_back(formatPvLine(report, i, root, chess960));
  return lines;
}

std::string formatBestMove(Move best, Move ponder, const Position& root, bool chess960) {
  if (!isPrintableMove(best)) return {};
  std::string text = "bestmove " + moveToCoordinate(best, root, chess960) + " ";
  if (isPrintableMove(ponder) && isLegalMove(root, best)) {
    Position after = root;
    makeMoveChecked(after, best);
    if (isLegalMove(after, ponder)) text += "ponder " + moveToCoordinate(ponder, after, chess960);
  }
  return text;
}

}  // namespace tarn

// The lines the UCI front end prints while and after searching.
//
// The search fills plain report records and calls these formatters; they know
// the protocol's number and text rules and nothing of the search. Each returns
// one line without its line end, for ProtocolOutput::line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "board/position.h"

namespace tarn {

// How the result of the line being searched now relates to its window.
enum class ReportBound : int {
  Exact = 0,
  Upper = 1,  // fail low: the score is at most this
  Lower = 2,  // fail high: the score is at least this
};

// Elapsed time as the protocol prints it: whole centiseconds c, the time in
// milliseconds c * 10, and nodes per second nodes * 100 / c (0 when c is 0).
struct TimeFigures {
  uint64_t centiseconds = 0;
  uint64_t milliseconds = 0;
  uint64_t nodesPerSecond = 0;
};
TimeFigures timeFigures(double elapsedSeconds, uint64_t nodes);

// ---- The current-move line -------------------------------------------------

struct CurrentMoveReport {
  int depth = 0;           // iteration depth
  Move move = NullMove;    // the root move now searched
  int moveNumber = 0;      // its number in the root move list, from 1
  double elapsedSeconds = 0;
  uint64_t nodes = 0;      // summed over all search threads
  int hashFull = 0;        // per mille
};

// "info depth D currmove M currmovenumber N time T nodes N nps N hashfull H".
std::string formatCurrentMoveLine(const CurrentMoveReport& report, const Position& root, bool chess960);

// ---- Principal-variation lines ---------------------------------------------

struct ReportLine {
  int score = 0;               // engine units; mate = 10000 - ply
  std::span<const Move> moves; // ends at the first empty, flagged or illegal move at the latest
};

struct PvReport {
  int depth = 0;               // iteration depth
  int selDepth = 0;            // selective depth
  int searchedLine = 0;        // 0-based index of the line being searched now
  ReportBound bound = ReportBound::Exact;  // result of that line
  double elapsedSeconds = 0;
  uint64_t nodes = 0;          // summed over all search threads
  uint64_t tbHits = 0;         // summed over all search threads
  int hashFull = 0;            // per mille
  std::span<const ReportLine> lines;  // lines.size() >= the number of lines printed
};

// How many PV lines an iteration prints: the MultiPV count in analysis mode, else 1.
constexpr int pvLinesToPrint(int multiPV, bool analysisMode) { return analysisMode ? multiPV : 1; }

// The score field without its keyword's neighbours: "cp 25", "mate 3", "mate -2".
// |score| <= 2 prints 0 past game ply 80; |score| < 9501 is "cp"; otherwise
// "mate" with (10001 - |score|) / 2, negative unless score > 0; a printed
// number 0 at depth 0 becomes 1.
std::string formatScore(int score, int depth, int gamePly);

// Coordinate texts of `moves`, separated by single blanks, walked on a copy of
// `root`; stops at the first empty, flagged or illegal move, or after `maxMoves`.
std::string formatPv(const Position& root, std::span<const Move> moves, size_t maxMoves, bool chess960);

// "info multipv I depth D seldepth S score ... [upperbound |lowerbound ]time T
// nodes N nps N tbhits N hashfull H pv ..." for line `index` (0-based) of the report.
std::string formatPvLine(const PvReport& report, int index, const Position& root, bool chess960);

// The first `count` lines of the report (fewer when it holds fewer).
std::vector<std::string> formatPvLines(const PvReport& report, int count, const Position& root, bool chess960);

// ---- The final line --------------------------------------------------------

// "bestmove B ponder P", or "bestmove B " (trailing blank) when P is not a move,
// is flagged or is not legal after B. Empty when `best` is no move: nothing is printed.
std::string formatBestMove(Move best, Move ponder, const Position& root, bool chess960);

// True when `m` is a legal move in `pos` (every promotion piece counted).
bool isLegalMove(const Position& pos, Move m);

}  // namespace tarn

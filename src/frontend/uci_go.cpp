#include "frontend/uci_go.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "board/notation.h"
#include "frontend/command_words.h"
#include "search/search_types.h"
#include "search/time_management.h"

namespace tarn {

namespace {

template <typename T>
std::optional<T> number(std::string_view word) {
  if (word.empty()) return std::nullopt;
  const std::string text(word);
  char* end = nullptr;
  if constexpr (std::is_same_v<T, double>) {
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return std::nullopt;
    return v;
  } else if constexpr (std::is_same_v<T, uint64_t>) {
    if (text[0] == '-') return std::nullopt;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (end == text.c_str()) return std::nullopt;
    return uint64_t(v);
  } else {
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str()) return std::nullopt;
    return T(std::clamp<long>(v, -2000000000L, 2000000000L));
  }
}

}  // namespace

GoCommand parseGoCommand(std::string_view arguments) {
  GoCommand go;
  bool readingMoves = false;
  for (FirstWord w = splitFirstWord(arguments); !w.word.empty(); w = splitFirstWord(w.rest)) {
    const std::string_view word = w.word;
    const std::string_view value = splitFirstWord(w.rest).word;
    auto take = [&] { w = splitFirstWord(w.rest); };
    if (word == "searchmoves") {
      readingMoves = true;
    } else if (word == "infinite") {
      go.infinite = true, readingMoves = false;
    } else if (word == "ponder") {
      go.ponder = true, readingMoves = false;
    } else if (word == "perft") {
      go.perft = number<int>(value).value_or(0), take();
    } else if (word == "wtime") {
      if (!go.wtime) go.wtime = number<double>(value);
      take(), readingMoves = false;
    } else if (word == "btime") {
      if (!go.btime) go.btime = number<double>(value);
      take(), readingMoves = false;
    } else if (word == "winc") {
      go.winc = number<int>(value).value_or(0), take(), readingMoves = false;
    } else if (word == "binc") {
      go.binc = number<int>(value).value_or(0), take(), readingMoves = false;
    } else if (word == "movestogo") {
      go.movesToGoGiven = true, go.movesToGo = number<int>(value), take(), readingMoves = false;
    } else if (word == "movetime") {
      go.moveTime = number<int>(value), take(), readingMoves = false;
    } else if (word == "depth") {
      go.depth = number<int>(value), take(), readingMoves = false;
    } else if (word == "nodes") {
      go.nodes = number<uint64_t>(value), take(), readingMoves = false;
    } else if (readingMoves) {
      const Move m = parseCoordinateMove(word);
      if (m && !isMarker(m) && go.searchMoves.size() < size_t(MaxSearchMoves)) go.searchMoves.push_back(m);
    }
  }
  return go;
}

int applyGoCommand(const GoCommand& go, const Position& pos, SearchLimits& limits) {
  limits.searchMoveCount = 0;
  if (go.infinite) {
    for (Move m : go.searchMoves) limits.searchMoves[limits.searchMoveCount++] = m;
    limits.maxNodes = 0;
    limits.useTime = false;
    limits.maxDepth = MaxDepth;
    return ModeInfinite;
  }

  const Color us = pos.sideToMove;
  const double remaining = (us == White ? go.wtime : go.btime).value_or(1.0);
  const int increment = us == White ? go.winc : go.binc;
  limits.increment = increment * 0.001;
  limits.maxDepth = go.depth ? std::clamp(*go.depth, 1, MaxDepth) : MaxDepth;
  limits.maxNodes = go.nodes.value_or(0);
  limits.useTime = go.wtime || go.btime || go.moveTime;

  if (!go.movesToGoGiven) {
    const TimeBudget b = allocateTime(remaining * 0.001, limits.increment);
    limits.targetTime = b.target, limits.extraTime = b.extra;
  } else if (go.movesToGo) {
    const TimeBudget b = allocateTimeMovesToGo(std::max(*go.movesToGo, 0), remaining * 0.001, limits.increment);
    limits.targetTime = b.target, limits.extraTime = b.extra;
  }
  if (go.moveTime) {
    limits.targetTime = std::max(*go.moveTime, 1) * 0.00098;
    limits.extraTime = 0;
  }
  return go.ponder ? ModePonder : ModeThink;
}

}  // namespace tarn

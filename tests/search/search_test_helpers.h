// Shared set-up for the search tests: tables built once, positions from FEN.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"
#include "search/search_switches.h"
#include "search/transposition_table.h"

namespace tarn::test {

inline void initSearchTestTables() {
  static const bool done = [] {
    initZobrist();
    initAttackTables();
    initEvaluation();
    initSearchTables();
    transpositionTable().resize(uint64_t(16) << 20);
    return true;
  }();
  (void)done;
}

// A position with its own castling record.
struct TestPosition {
  CastlingSetup setup{};
  Position pos{};
  explicit TestPosition(const std::string& fen) {
    initSearchTestTables();
    const char* message = nullptr;
    EXPECT_TRUE(readFen(pos, fen, setup, &message)) << fen << ": " << (message ? message : "");
  }
};

}  // namespace tarn::test

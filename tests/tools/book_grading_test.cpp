// The shipped book's rules: which moves of the opening lines stay, their
// grades, and the signed values of the positions they lead to.
#include <gtest/gtest.h>

#include "board/attacks.h"
#include "board/zobrist.h"
#include "book/book_grading.h"
#include "book/opening_tree.h"

namespace tarn::book {
namespace {

// Keys and attack tables before the first tree reads its start position.
struct Tables {
  Tables() {
    initZobrist();
    initAttackTables();
  }
};

struct Tree : ::testing::Test, Tables {
  void SetUp() override {
    // The start; 1. e4, 1. d4, 1. g4, 1. e4 e5, 1. e4 f6 and a transposition.
    tree.addLine("1. e4 e5");
    tree.addLine("1. e4 f6");
    tree.addLine("1. d4");
    tree.addLine("1. g4");
    tree.addLine("1. Nf3 d5 2. d4");
    tree.addLine("1. d4 d5 2. Nf3");
  }
  int node(const std::string& fenStart) const {
    for (size_t i = 0; i < tree.nodes().size(); ++i)
      if (tree.nodes()[i].fen.rfind(fenStart, 0) == 0) return int(i);
    ADD_FAILURE() << "no node " << fenStart;
    return -1;
  }
  OpeningTree tree;
};

TEST_F(Tree, LinesShareTheirPositionsAndMoves) {
  EXPECT_EQ(tree.lines(), 6);
  // start, e4, e5, f6, d4, g4, Nf3, Nf3 d5, d4 d5, the transposed position: 10.
  EXPECT_EQ(tree.nodes().size(), 10u);
  EXPECT_EQ(tree.edges().size(), 10u);
  EXPECT_EQ(tree.edges()[0].move, "e2-e4");
  EXPECT_FALSE(tree.addLine("1. e4 e6 2. Ke7"));  // the line keeps what plays
  EXPECT_EQ(tree.nodes().size(), 11u);
}

TEST_F(Tree, SoundMovesStayWithGradesAndSignedValues) {
  // Scores for the side to move in each position; the rest are 0.
  std::vector<int> scores(tree.nodes().size(), 0);
  const int start = node("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP");
  const int e4 = node("rnbqkbnr/pppppppp/8/8/4P3/8");
  const int d4 = node("rnbqkbnr/pppppppp/8/8/3P4/8");
  const int g4 = node("rnbqkbnr/pppppppp/8/8/6P1/8");
  const int nf3 = node("rnbqkbnr/pppppppp/8/8/8/5N2");
  const int e5 = node("rnbqkbnr/pppp1ppp/8/4p3/4P3");
  const int f6 = node("rnbqkbnr/ppppp1pp/5p2/8/4P3");
  scores[size_t(start)] = 20;
  scores[size_t(e4)] = -20;   // 1. e4 searched: 20 for White ...
  scores[size_t(f6)] = -50;   // ... but the line's reply f6 scores 50 for Black
  scores[size_t(e5)] = 60;    // e5: -60 for Black
  scores[size_t(d4)] = -15;   // 15 for White, 0 after the line's d5
  scores[size_t(g4)] = 40;    // -40 for White
  scores[size_t(nf3)] = -20;

  const std::vector<int> value = backedUpValues(tree, scores);
  EXPECT_EQ(value[size_t(e4)], 50);
  EXPECT_EQ(value[size_t(d4)], 0);
  EXPECT_EQ(value[size_t(start)], 20);

  const std::vector<EdgeVerdict> verdicts = gradeMoves(tree, scores);
  const auto verdictOf = [&](int parent, int child) {
    for (size_t i = 0; i < tree.edges().size(); ++i)
      if (tree.edges()[i].parent == parent && tree.edges()[i].child == child) return verdicts[i];
    ADD_FAILURE();
    return EdgeVerdict{};
  };
  EXPECT_FALSE(verdictOf(start, e4).kept);  // the known reply makes it bad
  EXPECT_EQ(verdictOf(start, e4).moverScore, -50);
  EXPECT_TRUE(verdictOf(start, d4).kept);
  EXPECT_EQ(verdictOf(start, d4).grade, 1);  // 20 below the best
  EXPECT_FALSE(verdictOf(start, g4).kept);
  EXPECT_TRUE(verdictOf(e4, f6).kept);
  EXPECT_EQ(verdictOf(e4, f6).grade, 2);
  EXPECT_FALSE(verdictOf(e4, e5).kept);

  const std::vector<BookValue> values = bookValues(tree, verdicts);
  const auto valueOf = [&](int n) {
    for (const BookValue& v : values)
      if (v.key == tree.nodes()[size_t(n)].key) return v.value;
    return -99;
  };
  EXPECT_EQ(valueOf(d4), 1);
  EXPECT_EQ(valueOf(f6), -2);  // Black's moves carry negative values
  EXPECT_EQ(valueOf(e4), -99);
  EXPECT_EQ(valueOf(g4), -99);
  EXPECT_EQ(valueOf(start), -99);  // no move leads to the start
}

}  // namespace
}  // namespace tarn::book

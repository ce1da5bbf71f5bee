// Which moves of the opening lines the shipped book keeps, and their values.
//
// Every position of the lines has been searched to a fixed depth; its score is
// from the side to move's point of view. A position's value is the better of
// its own score and the best of the line moves played from it (minus their
// positions' values), so a reply that the lines know to be strong counts even
// where the search of the position before it missed it. A move's score for the
// side playing it is minus the value of the position it leads to. A move is
// dropped when that score is clearly bad for its side, or clearly worse than the
// value of the position before it. The kept moves are graded against that
// value: the strongest get value 2 (played most), the rest 1 or 0 (played
// rarely), signed for the side that plays them (White positive).
#pragma once

#include <vector>

#include "book/opening_tree.h"

namespace tarn::book {

struct GradingRules {
  int minMoverScore = -20;   // engine units (a pawn is about 96)
  int maxDeficit = 40;       // below the best score of the position
  int strongMargin = 10;     // within this of the best: value 2
  int fairMargin = 25;       // within this: value 1; otherwise 0
};

struct EdgeVerdict {
  bool kept = false;
  int grade = 0;         // 0..2
  int moverScore = 0;
  int reference = 0;     // the best score of the position before the move
};

// The values of the positions, from their searched scores and the line moves.
std::vector<int> backedUpValues(const OpeningTree& tree, const std::vector<int>& scores);

// One verdict per edge of the tree, from the scores of its nodes.
std::vector<EdgeVerdict> gradeMoves(const OpeningTree& tree, const std::vector<int>& scores,
                                    const GradingRules& rules = {});

struct BookValue {
  Key key;
  int value;
};

// The book entries: each position reached by a kept move, with the highest
// grade of the kept moves into it, signed for the side that moved.
std::vector<BookValue> bookValues(const OpeningTree& tree, const std::vector<EdgeVerdict>& verdicts);

}  // namespace tarn::book

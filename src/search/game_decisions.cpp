#include "search/game_decisions.h"

#include <cstdlib>

#include "board/draw_rules.h"
#include "board/game_record.h"
#include "board/movegen.h"
#include "search/time_management.h"

namespace tarn {

GameDecisionState gameDecisions;

namespace {


}  // namespace

int checkGameOver(const Position& pos, int repetitions, const char** text) {
  int result = GameRunning;
  const char* message = nullptr;
  MoveList legal;
  generateLegal(pos, legal);
  if (legal.empty()) {
    if (pos.checkers) {
      message = "Check Mate!";
      result = pos.sideToMove == Black ? WhiteWon : BlackWon;
    } else {
      message = "Draw by Stalemate";
      result = GameDrawn;
    }
  }
  if (repetitions >= 2) {
    message = "Draw by Repetition";
    result = GameDrawn;
  }
  if (pos.fiftyCounter >= FiftyMoveLimit) {
    message = "Draw by 50-move rule";
    result = GameDrawn;
  }
  if (!pos.pieceBB[Pawn] && materialSum(pos, White) < 532 && materialSum(pos, Black) < 532 &&
      pieceCount(pos, White) + pieceCount(pos, Black) <= 1) {
    message = "Draw by insuffucient material to mate ";
    result = GameDrawn;
  }
  if (text) *text = message;
  return result;
}

EngineDecision decideAfterEngineMove(int score, Color engineSide, const Position& pos, bool resignOn, bool drawOffersOn,
                                     bool bothSides) {
  GameDecisionState& g = gameDecisions;
  const Color opponent = ~engineSide;

  // Resignation: four moves in a row clearly lost, with material to prove it.
  g.resignCount[engineSide] = score < -680 ? g.resignCount[engineSide] + 1 : 0;
  if (g.resignCount[engineSide] >= 4 && resignOn && materialSum(pos, opponent) - materialSum(pos, engineSide) > 344 &&
      (pos.pieces(opponent, Rook) || pos.pieces(opponent, Queen) || popCount(pos.pieces(opponent, Pawn)) >= 2) &&
      (pieceCount(pos, opponent) > pieceCount(pos, engineSide) || pos.pieces(opponent, Pawn))) {
    g.resignCount[engineSide] = -2;
    return EngineDecision::Resign;
  }

  // Draw offers after five drawish moves in a row.
  const bool drawish = (score == 0 && pos.ply > 40) ||
                       (std::abs(score) <= 5 && (pos.ply > 84 || (materialSum(pos, White) <= 1400 && materialSum(pos, Black) <= 1400)));
  g.drawOfferCount = drawish ? g.drawOfferCount + 1 : 0;
  if (g.drawOfferCount > 4 && drawOffersOn) {
    g.drawFlag = true;
    g.drawOfferCount = -3;
    return bothSides ? EngineDecision::AgreeDraw : EngineDecision::OfferDraw;
  }

  g.drawFlag = false;
  if (score <= 0 && drawOffersOn) {
    ++g.drawAcceptCount;
    if (g.drawAcceptCount > 5 &&
        (pos.ply > 84 || (materialSum(pos, White) <= 1100 && materialSum(pos, Black) <= 1100)) &&
        pieceCount(pos, White) <= 2 && pieceCount(pos, Black) <= 2)
      g.drawFlag = true;
  } else {
    g.drawAcceptCount = 0;
  }
  return EngineDecision::None;
}

bool acceptsDraw(bool searchRunning, bool thinkingSearch, int bestRootScore, bool drawOffersOn) {
  return (!searchRunning || !thinkingSearch || bestRootScore <= 5) && gameDecisions.drawFlag && drawOffersOn;
}

void resetGameDecisions() {
  gameDecisions = GameDecisionState{};
  firstSearchOfGame.store(true, std::memory_order_relaxed);
}

}  // namespace tarn

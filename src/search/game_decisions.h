// Game-level decisions: game over, resignation, draw offers and acceptance.
#pragma once

#include "board/position.h"

namespace tarn {

// The game's state after a move: GameRunning, or the result (see game_record.h).
// `repetitions` is how often the position occurred before with the same side to
// move within the fifty-move window; `text` receives the message to show.
int checkGameOver(const Position& pos, int repetitions, const char** text = nullptr);

enum class EngineDecision { None, Resign, OfferDraw, AgreeDraw };

// After each engine move, with the score from the engine's point of view, the
// engine's colour and the position after the move. `bothSides` is set when the
// engine plays both sides (a draw offer then ends the game).
EngineDecision decideAfterEngineMove(int score, Color engineSide, const Position& pos, bool resignOn, bool drawOffersOn,
                                     bool bothSides);

// Whether the engine accepts a draw offer now.
bool acceptsDraw(bool searchRunning, bool thinkingSearch, int bestRootScore, bool drawOffersOn);

// A new game: counters back to their start and the first-search flag set.
void resetGameDecisions();

struct GameDecisionState {
  int resignCount[2] = {0, 0};
  int drawOfferCount = 0;
  int drawAcceptCount = 0;
  bool drawFlag = false;
};
extern GameDecisionState gameDecisions;

}  // namespace tarn

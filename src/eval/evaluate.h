// Static evaluation: one score in engine units (pawn 96) from the side to move's
// point of view. In order of preference it comes from the endgame bitbases or the
// rules for pawnless endings, from the network chosen by material, or from the
// hand-crafted terms; contempt is added last and the result rounded to a
// multiple of 4.
#pragma once

#include <string>

#include "board/position.h"
#include "eval/eval_context.h"

namespace tarn {

int evaluate(const Position& pos, EvalContext& ctx);

// True when the side to move, having only king and pawns, has no move (pins not considered).
bool isPawnStalemate(const Position& pos);

// The breakdown the window program shows for "Display Eval"; `whitePointOfView`
// is the display setting that shows scores from White's side.
std::string evalDisplayText(const Position& pos, EvalContext& ctx, bool whitePointOfView);

// Builds the evaluation's tables; call once at engine start after the networks are loaded.
void initEvaluation();

}  // namespace tarn

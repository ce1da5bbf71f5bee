// Hands out the moves of a main-search node stage by stage, generating each
// stage only when it is reached:
//
//   0  the table move, if pseudo-legal
//   1  captures and promotions by capture key; losing captures (exchange below
//      -17) and under-promotions are deferred to stage 4
//   2  killer 1, killer 2 and the counter move, if quiet, pseudo-legal and new
//   3  quiet moves by history
//   4  the deferred captures, in the order they were deferred (at most 32)
//
// In check there is one stage (reported as 1): all evasions by the evasion key,
// killer 1 and then the table move moved to the front. Moves already handed out
// are never handed out again.
#pragma once

#include "board/move_list.h"
#include "board/position.h"
#include "search/history.h"

namespace tarn {

// Captures, then pawn pushes onto the last rank: the moves of the tactical stages.
void generateTacticalMoves(const Position& pos, MoveList& list);

class MovePicker {
 public:
  MovePicker(const Position& pos, Move ttMove, const Histories& h, const Killers& killers, Move counter,
             const PreviousMoves& prev);

  // The next move, or NullMove when none is left; `stage` receives its stage.
  Move next(int& stage);

  bool ttMoveValid() const { return ttValid; }
  bool ttMoveIsTactical() const { return ttTactical; }
  // Number of evasions generated (in check only).
  int evasionCount() const { return inCheck ? list.count : 0; }

 private:
  enum Step { TableMove, GenerateCaptures, Captures, Killer1, Killer2, Counter, GenerateQuiets, Quiets, Deferred, Evasions, Done };

  const Position& pos;
  const Histories& h;
  PreviousMoves prev;
  Move ttMove;
  Move special[3];  // killer 1, killer 2, counter move
  bool ttValid = false, ttTactical = false, inCheck;
  Step step;
  MoveList list{PromoteAll};
  int cursor = 0;
  Move deferred[32];
  int deferredCount = 0, deferredCursor = 0;

  bool alreadyTried(Move m) const;
};

}  // namespace tarn

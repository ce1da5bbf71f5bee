#include "eval/tb/syzygy_probe.h"

#include <algorithm>
#include <climits>

#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/tb/syzygy_registry.h"

namespace tarn::syzygy {

namespace {

// The distance a result has when the move itself zeroes.
constexpr int dtzOfWdl(int wdl) { return wdl == 2 ? 1 : wdl == 1 ? 101 : wdl == -1 ? -101 : wdl == -2 ? -1 : 0; }

constexpr int WrongSide = ProbeFailed + 1;

bool isCapture(const Position& pos, Move m) {
  const int to = toSquare(m);
  return pos.board[to] != Empty || (typeOf(pos.board[fromSquare(m)]) == Pawn && to == pos.epSquare);
}

bool isEnPassant(const Position& pos, Move m) {
  return typeOf(pos.board[fromSquare(m)]) == Pawn && toSquare(m) == pos.epSquare && pos.board[toSquare(m)] == Empty;
}

bool isPawnMove(const Position& pos, Move m) { return typeOf(pos.board[fromSquare(m)]) == Pawn; }

// Legal captures, en passant and every promotion piece included.
void legalCaptures(const Position& pos, MoveList& out) {
  MoveList pseudo(PromoteAll);
  if (pos.checkers)
    generateEvasions(pos, pseudo);
  else
    generateMoves(pos, pseudo, ~Bitboard(0), pos.colourBB[~pos.sideToMove]);
  for (Move m : pseudo)
    if (isCapture(pos, m) && !isIllegal(pos, m)) out.add(m);
}

Position after(const Position& pos, Move m) {
  Position child = pos;
  makeMoveChecked(child, m);
  return child;
}

// Where a position sits in a table: the sub-table and the index in it.
struct Located {
  const TableFile* table = nullptr;
  const SubTable* sub = nullptr;
  uint64_t index = 0;
  int fileClass = 0;
  int side = 0;        // side to move in table terms
  bool symmetric = false;
};

bool locate(const Position& pos, TableKind kind, Located& at) {
  const Key key = materialKey(pos);
  TableEntry* entry = findEntry(key);
  if (!entry) return false;
  const TableFile* table = tableFile(*entry, kind);
  if (!table) return false;

  // The table's first side plays the real White unless the key says otherwise;
  // a symmetric table is always read with the side to move as its first side.
  const bool flip = entry->symmetric ? pos.sideToMove == Black : key != entry->key;
  at.table = table;
  at.symmetric = entry->symmetric;
  at.side = entry->symmetric ? 0 : (pos.sideToMove == White) != flip ? 0 : 1;
  // Our a8 = 0 becomes the format's a1 = 0; pawn tables read with the colours
  // swapped are also turned upside down, so the pawns that lead still move up.
  const int squareFlip = flip && table->hasPawns() ? 0 : 56;
  auto squaresOf = [&](int tableColour, int formatType) {
    return pos.pieces(Color(tableColour ^ int(flip)), formatType - 1);
  };

  int squares[MaxTableMen];
  int first = 0;
  if (table->hasPawns()) {
    Bitboard lead = squaresOf(table->leadColour(), 1);
    int count = 0;
    while (lead && count < table->leadPawns()) squares[count++] = popLowest(lead) ^ squareFlip;
    if (count != table->leadPawns() || lead) return false;
    at.fileClass = chooseLeadingPawn(squares, count);
    if (at.fileClass < 0) return false;
    first = count;
  }
  at.sub = &table->sub(at.fileClass, kind == WdlKind ? at.side : 0);
  const SubTable& sub = *at.sub;
  Bitboard pieces = 0;
  for (int i = first; i < sub.layout.men; ++i) {
    if (i == first || sub.pieces[i] != sub.pieces[i - 1]) pieces = squaresOf(sub.pieces[i] >> 3, sub.pieces[i] & 7);
    if (!pieces) return false;
    squares[i] = popLowest(pieces) ^ squareFlip;
  }
  return computeIndex(sub.layout, squares, at.index);
}

bool onlyKings(const Position& pos) { return popCount(pos.occupied) == 2; }

// Whether the position's own material has a usable table. Checked before the
// capture search, which would otherwise probe every capture only to fail at
// the position itself.
bool hasTable(const Position& pos) { return onlyKings(pos) || findEntry(materialKey(pos)) != nullptr; }

int rawWdl(const Position& pos) {
  if (onlyKings(pos)) return 0;
  Located at;
  if (!locate(pos, WdlKind, at)) return ProbeFailed;
  const int v = decodeValue(at.sub->pairs, at.table->bytes(), at.index);
  return v >= 0 && v <= 4 ? v - 2 : ProbeFailed;
}

// The stored distance of a position whose result `wdl` is known and is not
// reached by a zeroing move; WrongSide when the file stores the other side.
int rawDtz(const Position& pos, int wdl) {
  Located at;
  if (!locate(pos, DtzKind, at)) return ProbeFailed;
  const PairsData& pairs = at.sub->pairs;
  // Symmetric tables always store their first side, which is the side to move.
  if (!at.symmetric && ((pairs.flags & DtzStoresSecondSide) != 0) != (at.side == 1)) return WrongSide;
  int v = decodeValue(pairs, at.table->bytes(), at.index);
  if (v < 0) return ProbeFailed;
  if (pairs.flags & DtzHasMap) {
    const int category = wdl == 2 ? 0 : wdl == -2 ? 1 : wdl == 1 ? 2 : 3;
    v = at.table->mapValue(at.fileClass, category, v);
    if (v < 0) return ProbeFailed;
  }
  const bool exact = (wdl == 2 && (pairs.flags & DtzWinsExact)) || (wdl == -2 && (pairs.flags & DtzLossesExact));
  if (!exact) v *= 2;
  switch (wdl) {
    case 2: return 1 + v;
    case -2: return -(1 + v);
    case 1: return 101 + v;
    default: return -(101 + v);
  }
}

// Alpha-beta over captures with the table value as the stand-pat score, for
// positions without en-passant rights.
int probeCaptures(const Position& pos, int alpha, int beta) {
  if (!hasTable(pos)) return ProbeFailed;
  MoveList captures;
  legalCaptures(pos, captures);
  for (Move m : captures) {
    const int v = probeCaptures(after(pos, m), -beta, -alpha);
    if (v == ProbeFailed) return ProbeFailed;
    if (-v > alpha) {
      if (-v >= beta) return -v;
      alpha = -v;
    }
  }
  const int v = rawWdl(pos);
  if (v == ProbeFailed) return ProbeFailed;
  return std::max(alpha, v);
}

// Whether the side to move, not in check, could only capture en passant:
// without that right the position would be stalemate.
bool onlyEnPassantMoves(const Position& pos) {
  if (pos.checkers) return false;
  MoveList legal(PromoteAll);
  generateLegal(pos, legal);
  for (Move m : legal)
    if (!isEnPassant(pos, m)) return false;
  return true;
}

}  // namespace

int probeWdlValue(const Position& pos, bool* zeroingBest) {
  auto answer = [&](int value, bool zeroing) {
    if (zeroingBest) *zeroingBest = zeroing;
    return value;
  };
  if (!hasTable(pos)) return ProbeFailed;
  // Captures first; en-passant results are kept apart, since the table's value
  // is that of the position without the en-passant right.
  int bestPlain = -3, bestEp = -3;
  MoveList captures;
  legalCaptures(pos, captures);
  for (Move m : captures) {
    const int v = probeCaptures(after(pos, m), -2, -bestPlain);
    if (v == ProbeFailed) return ProbeFailed;
    if (-v > bestPlain) {
      if (-v == 2) return answer(2, true);
      if (isEnPassant(pos, m))
        bestEp = std::max(bestEp, -v);
      else
        bestPlain = -v;
    }
  }
  const int v = rawWdl(pos);
  if (v == ProbeFailed) return ProbeFailed;
  if (bestEp > bestPlain) {
    if (bestEp > v) return answer(bestEp, true);
    bestPlain = bestEp;
  }
  // A capture as good as the table: for a win it is the way to it.
  if (bestPlain >= v) return answer(bestPlain, bestPlain > 0);
  // The table scores a stalemate as a draw, but this one has the en-passant capture.
  if (bestEp > -3 && v == 0 && onlyEnPassantMoves(pos)) return answer(bestEp, true);
  return answer(v, false);
}

namespace {

// Distance to zeroing; `depth` guards the one-ply search against recursing
// through damaged side flags.
int probeDtz(const Position& pos, int depth) {
  bool zeroing = false;
  const int wdl = probeWdlValue(pos, &zeroing);
  if (wdl == ProbeFailed) return ProbeFailed;
  if (wdl == 0) return 0;
  if (zeroing) return dtzOfWdl(wdl);

  MoveList legal(PromoteAll);
  bool generated = false;
  auto generate = [&] {
    if (!generated) generateLegal(pos, legal);
    generated = true;
  };
  // A winning pawn push zeroes at once as well.
  if (wdl > 0) {
    generate();
    for (Move m : legal) {
      if (!isPawnMove(pos, m) || isCapture(pos, m)) continue;
      const int v = probeWdlValue(after(pos, m));
      if (v == ProbeFailed) return ProbeFailed;
      if (-v == wdl) return dtzOfWdl(wdl);
    }
  }

  const int stored = rawDtz(pos, wdl);
  if (stored != WrongSide) return stored;
  if (depth > 0) return ProbeFailed;

  // The file stores the other side to move: one ply over the moves that do not
  // zero. Zeroing moves of a lost position lose at once.
  int best = wdl > 0 ? INT_MAX : dtzOfWdl(wdl);
  generate();
  for (Move m : legal) {
    if (isCapture(pos, m) || isPawnMove(pos, m)) continue;
    const Position child = after(pos, m);
    const int d = probeDtz(child, depth + 1);
    if (d == ProbeFailed) return ProbeFailed;
    const int v = -d;
    if (v == 1 && isCheckmate(child))
      best = 1;
    else if (wdl > 0) {
      if (v > 0 && v + 1 < best) best = v + 1;
    } else if (v - 1 < best) {
      best = v - 1;
    }
  }
  return best == INT_MAX ? ProbeFailed : best;
}

}  // namespace

int probeDtzValue(const Position& pos) { return probeDtz(pos, 0); }

bool probeRootMove(const Position& pos, Move& move, int& dtz) {
  const int d = probeDtzValue(pos);
  if (d == ProbeFailed) return false;
  dtz = d;
  move = NullMove;
  MoveList legal(PromoteAll);
  generateLegal(pos, legal);
  if (legal.empty()) return true;

  // Each move's distance for the side to move, one ply counted for the move itself.
  int bestValue = 0;
  for (Move m : legal) {
    const Position child = after(pos, m);
    int v;
    if (isCapture(pos, m) || isPawnMove(pos, m)) {
      const int w = probeWdlValue(child);
      if (w == ProbeFailed) return false;
      v = dtzOfWdl(-w);
    } else {
      const int c = probeDtzValue(child);
      if (c == ProbeFailed) return false;
      v = -c;
      v += v > 0 ? 1 : v < 0 ? -1 : 0;
    }
    if (v == 2 && isCheckmate(child)) v = 1;
    // Wins: the quickest zeroing; losses: the longest resistance; draws: any draw.
    const bool better = d > 0   ? v > 0 && (move == NullMove || v < bestValue)
                        : d < 0 ? move == NullMove || v < bestValue
                                : v == 0 && move == NullMove;
    if (better) {
      move = m;
      bestValue = v;
    }
  }
  return move != NullMove;
}

}  // namespace tarn::syzygy

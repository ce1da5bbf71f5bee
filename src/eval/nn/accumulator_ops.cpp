#include "eval/nn/accumulator_ops.h"

#include "eval/nn/features.h"
#include "eval/nn/kernels.h"

namespace tarn::nn {

namespace {

inline bool onLastRank(int s) { return s < 8 || s >= 56; }

// Up to four rows to add and four to subtract in one view.
struct RowDelta {
  const int16_t* adds[4];
  const int16_t* subs[4];
  int addCount = 0;
  int subCount = 0;

  void add(const ChessBaseNet& net, int input) {
    if (input != NoFeature) adds[addCount++] = net.inputRow(input);
  }
  void sub(const ChessBaseNet& net, int input) {
    if (input != NoFeature) subs[subCount++] = net.inputRow(input);
  }
};

}  // namespace

void collectActiveFeatures(const ChessBaseNet& net, const Position& pos, ActiveFeatures& features) {
  features.count[0] = features.count[1] = 0;
  const int16_t(*table)[512] = net.featureTable();
  Bitboard occupied = pos.occupied;

  if (net.inputKind() == InputKind::OneView) {
    const int column = fileOf(pos.kingSquare[White]) >= 4 ? 64 : 0;
    while (occupied) {
      const int s = popLowest(occupied);
      const int input = table[pos.board[s]][column + s];
      if (input != NoFeature) features.index[0][features.count[0]++] = int16_t(input);
    }
    if (pos.sideToMove == Black) features.index[0][features.count[0]++] = int16_t(net.sideToMoveInput());
    return;
  }

  const int column = (fileOf(pos.kingSquare[White]) >= 4 ? 64 : 0) + (fileOf(pos.kingSquare[Black]) >= 4 ? 128 : 0);
  while (occupied) {
    const int s = popLowest(occupied);
    const int16_t* pair = &table[pos.board[s]][2 * (column + s)];
    for (int v = 0; v < 2; ++v)
      if (pair[v] != NoFeature) features.index[v][features.count[v]++] = pair[v];
  }
  if (net.inputKind() == InputKind::TwoViews) {
    const int v = pos.sideToMove == White ? 0 : 1;
    features.index[v][features.count[v]++] = int16_t(net.sideToMoveInput());
  } else {
    features.count[0] +=
        pawnStructureMaterialInputs(pos, features.index[0] + features.count[0], features.index[1] + features.count[1]);
    features.count[1] = features.count[0];
  }
}

template <class K>
void refreshAccumulator(const ChessBaseNet& net, const Position& pos, Accumulator& acc) {
  ActiveFeatures features;
  collectActiveFeatures(net, pos, features);
  const int width = net.viewWidth();
  const int views = net.twoViews() ? 2 : 1;
  for (int v = 0; v < views; ++v) {
    const int16_t* rows[MaxActiveFeatures];
    for (int k = 0; k < features.count[v]; ++k) rows[k] = net.inputRow(features.index[v][k]);
    K::biasPlusRows(acc.values + v * width, net.inputBiases(), rows, features.count[v], width);
  }
}

template <class K>
void updateAccumulator(const ChessBaseNet& net, Move move, const Position& before, Accumulator& acc,
                       const Position& after) {
  if (move == NullMove) {
    flipSideToMove<K>(net, after.sideToMove, acc);
    return;
  }
  const int from = fromSquare(move), to = toSquare(move);
  const PieceCode moving = before.board[from];
  const PieceCode target = before.board[to];
  const Color us = before.sideToMove;
  const bool crossesDE = fileOf(from) + fileOf(to) == 7;

  // Step 1. Mirroring changes, castling, and the pawn-structure network (whose
  // material inputs follow captures) take the full refresh.
  if ((moving == WKing && crossesDE) || target == makePiece(us, Rook) ||
      (net.twoViews() && moving == BKing && crossesDE) || net.inputKind() == InputKind::PawnStructure) {
    refreshAccumulator<K>(net, after, acc);
    return;
  }

  // Step 2. What leaves and what arrives.
  PieceCode arriving = moving;
  int epVictim = NoSquare;
  if (typeOf(moving) == Pawn) {
    if (to == before.epSquare)
      epVictim = to ^ 8;
    else if (onLastRank(to))
      arriving = makePiece(us, PromotionType[promotionCode(move)]);
  }
  const PieceCode theirPawn = makePiece(~us, Pawn);
  const int16_t(*table)[512] = net.featureTable();
  const int width = net.viewWidth();

  if (!net.twoViews()) {
    const int column = fileOf(before.kingSquare[White]) >= 4 ? 64 : 0;
    RowDelta d;
    d.sub(net, table[moving][column + from]);
    if (target != Empty) d.sub(net, table[target][column + to]);
    if (epVictim != NoSquare) d.sub(net, table[theirPawn][column + epVictim]);
    d.add(net, table[arriving][column + to]);
    if (us == White)
      d.add(net, net.sideToMoveInput());
    else
      d.sub(net, net.sideToMoveInput());
    K::addSubRows(acc.values, d.adds, d.addCount, d.subs, d.subCount, width);
    return;
  }

  const int column =
      (fileOf(before.kingSquare[White]) >= 4 ? 64 : 0) + (fileOf(before.kingSquare[Black]) >= 4 ? 128 : 0);
  for (int v = 0; v < 2; ++v) {
    RowDelta d;
    d.sub(net, table[moving][2 * (column + from) + v]);
    if (target != Empty) d.sub(net, table[target][2 * (column + to) + v]);
    if (epVictim != NoSquare) d.sub(net, table[theirPawn][2 * (column + epVictim) + v]);
    d.add(net, table[arriving][2 * (column + to) + v]);
    // The side-to-move input leaves the mover's view and appears in the other one.
    if (v == int(us))
      d.sub(net, net.sideToMoveInput());
    else
      d.add(net, net.sideToMoveInput());
    K::addSubRows(acc.values + v * width, d.adds, d.addCount, d.subs, d.subCount, width);
  }
}

template <class K>
void flipSideToMove(const ChessBaseNet& net, Color newSide, Accumulator& acc) {
  const int16_t* row = net.inputRow(net.sideToMoveInput());
  const int width = net.viewWidth();
  switch (net.inputKind()) {
    case InputKind::OneView:
      if (newSide == Black)
        K::addSubRows(acc.values, &row, 1, nullptr, 0, width);
      else
        K::addSubRows(acc.values, nullptr, 0, &row, 1, width);
      break;
    case InputKind::TwoViews:
      K::addSubRows(acc.values + int(newSide) * width, &row, 1, nullptr, 0, width);
      K::addSubRows(acc.values + int(~newSide) * width, nullptr, 0, &row, 1, width);
      break;
    case InputKind::PawnStructure:
      break;  // no side-to-move input
  }
}

template void refreshAccumulator<ScalarKernels>(const ChessBaseNet&, const Position&, Accumulator&);
template void updateAccumulator<ScalarKernels>(const ChessBaseNet&, Move, const Position&, Accumulator&,
                                               const Position&);
template void flipSideToMove<ScalarKernels>(const ChessBaseNet&, Color, Accumulator&);
#ifdef __AVX2__
template void refreshAccumulator<Avx2Kernels>(const ChessBaseNet&, const Position&, Accumulator&);
template void updateAccumulator<Avx2Kernels>(const ChessBaseNet&, Move, const Position&, Accumulator&, const Position&);
template void flipSideToMove<Avx2Kernels>(const ChessBaseNet&, Color, Accumulator&);
#endif

}  // namespace tarn::nn

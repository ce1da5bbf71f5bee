#include "eval/evaluate.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "board/attacks.h"
#include "board/movegen.h"
#include "eval/eval_params.h"
#include "eval/eval_tables.h"
#include "eval/nn/inference.h"
#include "eval/pawnless.h"
#include "eval/score_text.h"
#include "eval/tb/bitbases.h"

namespace tarn {

namespace {

constexpr PackedScore Tempo = makeScore(16, 16);

// The network's score in engine units, white's point of view, before the side to
// move is taken into account; false when no loaded network covers the balance.
bool networkScore(const Position& pos, EvalContext& ctx, const MaterialInfo& mi, int& v, int* raw = nullptr) {
  if (mi.netIndex < 0) return false;
  const nn::ChessBaseNet& net = nn::network(mi.netIndex);
  const int whiteMaterial = materialSum(pos, White), blackMaterial = materialSum(pos, Black);
  const int d = std::abs(whiteMaterial - blackMaterial);
  // A network without parameters would score every position about 0: the
  // hand-crafted terms take over instead.
  if (!net.loaded() || d >= net.maxImbalance()) return false;

  nn::Accumulator local;
  const nn::Accumulator* acc = ctx.accumulator;
  if (!acc) {
    nn::refresh(mi.netIndex, pos, local);
    acc = &local;
  }
  const nn::PawnNetEntry* pawnEntry = net.usesPawnInput() ? &nn::getPawnInput(*ctx.pawnNetCache, pos, mi.key) : nullptr;
  const int n = nn::evaluate(mi.netIndex, *acc, pawnEntry);
  if (raw) *raw = n;
  v = n * net.outputScale() / 64;
  if (std::abs(v) > 1200) v = (v > 0 ? 1 : -1) * (1200 + ((std::abs(v) - 1200) >> 3));
  v = std::clamp(v, -1600, 1600);
  if (d > 96) v += (whiteMaterial - blackMaterial) / 20;
  return true;
}

int handCraftedScore(const Position& pos, EvalContext& ctx, const MaterialInfo& mi) {
  PawnEntry& pawns = ctx.pawnCache.probe(pos);
  const Color us = pos.sideToMove, them = ~us;
  const PackedScore pawnTerm = pawns.score[us] - pawns.score[them];
  const PackedScore material = pos.psqScore + mi.materialBonus;
  const PackedScore base = pawnTerm + (us == White ? material : -material) + Tempo;
  const int value1 = taper(base, mi.phase);

  const PackedScore s = evaluateTerms(pos, pawns, ctx.attacks, ctx.terms);
  const int mg = mgOf(s), eg = egOf(s);
  const int value2 = eg + ((mg + (mg >> 2)) - eg) * mi.phase / MaxPhase;
  return value1 + value2;
}

int contempt(const EvalContext& ctx, const MaterialInfo& mi) {
  if (ctx.contemptMid == ctx.contemptEnd) return ctx.contemptMid;
  const int h = mi.strength[ctx.contemptSide];
  if (h <= 1400) return ctx.contemptEnd;
  if (h >= 3200) return ctx.contemptMid;
  return ctx.contemptEnd + (ctx.contemptMid - ctx.contemptEnd) * (h - 1400) / 1800;
}

// Nearest multiple of 4, ties away from zero.
constexpr int roundToGrain(int v) { return (v + 1 + (v > 0 ? 1 : 0)) & ~3; }
static_assert(roundToGrain(2) == 4 && roundToGrain(-2) == -4 && roundToGrain(1) == 0 && roundToGrain(-1) == 0);
static_assert(roundToGrain(5) == 4 && roundToGrain(6) == 8 && roundToGrain(-6) == -8);

}  // namespace

bool isPawnStalemate(const Position& pos) {
  const Color us = pos.sideToMove, them = ~us;
  if (pos.checkers) return false;
  const Bitboard pawns = pos.pieces(us, Pawn), empty = ~pos.occupied;
  if (us == White) {
    const Bitboard single = (pawns >> 8) & empty;
    if (single || (pawnAttackSet<White>(pawns) & pos.colourBB[them])) return false;
  } else {
    const Bitboard single = (pawns << 8) & empty;
    if (single || (pawnAttackSet<Black>(pawns) & pos.colourBB[them])) return false;
  }
  // Double pushes need the single step free, so they are covered above.
  return !(kingAttacks(pos.kingSquare[us]) & ~pos.colourBB[us] & ~attackedSquares(pos, them));
}

int evaluate(const Position& pos, EvalContext& ctx) {
  const Color us = pos.sideToMove;

  // 1. A side with only king and pawns may have no move at all.
  if (!hasPieces(pos.material[us]) && isPawnStalemate(pos)) return 0;

  // 2. Few pawns: the bitbases, or the rules for endings without pawns.
  const int pawnTotal = pawnCount(pos, White) + pawnCount(pos, Black);
  if (pawnTotal <= 3) {
    const bool noPieces = !hasPieces(pos.material[White]) && !hasPieces(pos.material[Black]);
    int score;
    if ((noPieces || popCount(pos.occupied) <= 4) && probeBitbases(pos, score)) return score;
    if (!pawnTotal) return evaluatePawnless(pos);
  }

  // 3. to 5. The network for this material, or the hand-crafted terms.
  const MaterialInfo& mi = getMaterialInfo(ctx.materialInfo, pos);
  int v;
  if (networkScore(pos, ctx, mi, v)) {
    if (us == Black) v = -v;
  } else {
    v = handCraftedScore(pos, ctx, mi);
  }

  // 6. Contempt, for the side that was to move at the root.
  const int c = contempt(ctx, mi);
  v += us == ctx.contemptSide ? c : -c;

  // 7. Granularity.
  return roundToGrain(v);
}

std::string evalDisplayText(const Position& pos, EvalContext& ctx, bool whitePointOfView) {
  const int score = evaluate(pos, ctx);
  std::string text = "Eval = " + shortScoreText(score, pos.sideToMove, whitePointOfView) + " \n";
  char line[160];

  const MaterialInfo& mi = getMaterialInfo(ctx.materialInfo, pos);
  if (mi.netIndex >= 0) {
    const nn::ChessBaseNet& net = nn::network(mi.netIndex);
    int raw = 0;
    if (!net.usesPawnInput()) raw = nn::evaluatePosition(mi.netIndex, pos, nullptr);
    std::snprintf(line, sizeof line, "Net: %s (%d)\nNetEval : %.2f\n", net.name().c_str(), mi.netIndex, double(raw));
    text += line;
  }

  // The hand-crafted terms, evaluated afresh for the display.
  PawnEntry& pawns = ctx.pawnCache.probe(pos);
  evaluateTerms(pos, pawns, ctx.attacks, ctx.terms);
  const int phase = mi.phase;
  const int difference = materialSum(pos, White) - materialSum(pos, Black);
  const int bonus = taper(mi.materialBonus, phase);
  std::snprintf(line, sizeof line, " Material: %3d (%d && %d)\n", bonus, difference,
                pos.sideToMove == White ? bonus : -bonus);
  text += line;
  std::snprintf(line, sizeof line, "  SqTable: %3d \n", taper(pos.psqScore, phase));
  text += line;
  const struct {
    const char* name;
    const PackedScore* values;
  } groups[] = {{"Pieces", ctx.terms.pieces}, {"Passed", ctx.terms.passed}, {"Tactical", ctx.terms.tactical}, {"King", ctx.terms.king}};
  for (const auto& g : groups) {
    const int white = taper(g.values[White], phase), black = taper(g.values[Black], phase);
    if (!white && !black) continue;
    std::snprintf(line, sizeof line, " %8s: %3d (%2d, %2d)\n", g.name, white - black, white, black);
    text += line;
  }
  return text;
}

void initEvaluation() { initEvalTables(); }

}  // namespace tarn

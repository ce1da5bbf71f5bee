#include "search/history.h"

#include <cstdlib>
#include <cstring>

#include "board/attacks.h"
#include "search/see.h"

namespace tarn {

namespace {

// The gravity rule keeps every entry within about +-8192.
inline void gravity(int16_t& h, int b) { h = int16_t(h + b - h * std::abs(b) / 8192); }

inline int victimValue(const Position& pos, Move m) {
  const PieceCode moving = pos.board[fromSquare(m)];
  const PieceCode target = pos.board[toSquare(m)];
  int v = target == Empty ? 0 : OrderValue[typeOf(target)];
  if (typeOf(moving) == Pawn) {
    if (toSquare(m) == pos.epSquare) v = OrderValue[Pawn];
    if (bit(toSquare(m)) & PromotionRanks) v += PromotionGain[promotionCode(m)];
  }
  return v;
}

inline uint32_t key(int x, Move m) { return (uint32_t(uint16_t(int16_t(x + 32768))) << 16) | m; }

}  // namespace

void Histories::clear() { std::memset(static_cast<void*>(this), 0, sizeof *this); }

bool isQuietForHistory(const Position& pos, Move m) {
  const PieceCode target = pos.board[toSquare(m)];
  if (target != Empty && colorOf(target) != pos.sideToMove) return false;
  return !(typeOf(pos.board[fromSquare(m)]) == Pawn && (bit(toSquare(m)) & PromotionRanks));
}

void scoreCaptures(MoveList& list, const Position& pos, const Histories& h) {
  for (int i = 0; i < list.count; ++i) {
    const Move m = list.moves[i];
    const PieceCode moving = pos.board[fromSquare(m)];
    const PieceCode target = pos.board[toSquare(m)];
    const int capturedType = target == Empty ? 6 : typeOf(target);
    const int x = h.capture[capturedType][pieceIndex(moving)][toSquare(m)] / 2 + 512 * victimValue(pos, m) -
                  16 * OrderValue[typeOf(moving)];
    list.scores[i] = int32_t(key(x, m));
  }
}

void scoreQuiets(MoveList& list, const Position& pos, const Histories& h, const PreviousMoves& prev) {
  for (int i = 0; i < list.count; ++i) {
    const Move m = list.moves[i];
    const PieceCode moving = pos.board[fromSquare(m)];
    const int to = toSquare(m);
    int x = h.butterfly[historyGroup(moving)][m & 4095];
    if (prev.prev1) x += h.continuation[pieceIndex(moving)][to][0][prev.prev1];
    if (prev.prev2) x += h.continuation[pieceIndex(moving)][to][1][prev.prev2];
    if (prev.prev4) x += h.continuation[pieceIndex(moving)][to][1][prev.prev4] >> 1;
    list.scores[i] = int32_t(key(int16_t(x), m));
  }
}

void scoreEvasions(MoveList& list, const Position& pos, const Histories& h, int prev1, bool atRoot) {
  for (int i = 0; i < list.count; ++i) {
    const Move m = list.moves[i];
    const PieceCode moving = pos.board[fromSquare(m)];
    const int to = toSquare(m);
    const bool capture = !isQuietForHistory(pos, m) || (typeOf(moving) == Pawn && to == pos.epSquare);
    const bool losingPiece = atRoot && typeOf(moving) != Pawn && !seeAtLeast(pos, m, -17);
    int x;
    if (capture) {
      x = 256 * victimValue(pos, m) - OrderValue[typeOf(moving)] - 12768;
      if (losingPiece) x -= 20000;
    } else {
      x = h.butterfly[historyGroup(moving)][m & 4095];
      if (prev1) x += h.continuation[pieceIndex(moving)][to][0][prev1];
      x += losingPiece ? 0x6000 : -0x8000;
    }
    list.scores[i] = int32_t((uint32_t(uint16_t(int16_t(x))) << 16) | m);
  }
}

void sortScored(MoveList& list, int start) {
  for (int i = start + 1; i < list.count; ++i) {
    const uint32_t s = uint32_t(list.scores[i]);
    int j = i;
    for (; j > start && uint32_t(list.scores[j - 1]) < s; --j) list.scores[j] = list.scores[j - 1];
    list.scores[j] = int32_t(s);
  }
  for (int i = start; i < list.count; ++i) list.moves[i] = Move(uint32_t(list.scores[i]) & 0xFFFF);
}

int combinedHistory(const Position& pos, Move m, const Histories& h, const PreviousMoves& prev) {
  const PieceCode moving = pos.board[fromSquare(m)];
  const int to = toSquare(m);
  int x = h.butterfly[historyGroup(moving)][m & 4095];
  if (prev.prev1) x += h.continuation[pieceIndex(moving)][to][0][prev.prev1];
  if (prev.prev2) x += h.continuation[pieceIndex(moving)][to][1][prev.prev2];
  if (prev.prev4) x += h.continuation[pieceIndex(moving)][to][1][prev.prev4] / 2;
  return int16_t(x);
}

void updateHistories(const Position& pos, Histories& h, Killers& killers, Move best, int depth, bool bigBonus,
                     const PreviousMoves& prev, const TriedMoves<16>& captures, const TriedMoves<64>& quiets,
                     bool penalize) {
  if (best == NullMove || isMarker(best)) return;
  const bool quiet = isQuietForHistory(pos, best);
  if (quiet) {
    if (best != killers.killer1) {
      killers.killer2 = killers.killer1;
      killers.killer1 = best;
    }
    if (prev.prev1 && depth > 2 && !pos.checkers) h.counterMoves[prev.prev1] = best;
  }
  if (depth < 2 || depth > 15) return;

  int bonus;
  if (!quiet) {
    const int a = depth + (bigBonus ? 1 : 0);
    bonus = 20 * (a <= 10 ? a * a : 100);
    const PieceCode moving = pos.board[fromSquare(best)];
    const PieceCode target = pos.board[toSquare(best)];
    gravity(h.capture[target == Empty ? 6 : typeOf(target)][pieceIndex(moving)][toSquare(best)], bonus + 5);
  } else {
    const int a = depth + (bigBonus ? 2 : 0);
    bonus = 18 * (a < 13 ? a * a : 144);
    const PieceCode moving = pos.board[fromSquare(best)];
    const int to = toSquare(best);
    gravity(h.butterfly[historyGroup(moving)][best & 4095], bonus + 5);
    if (prev.prev1) gravity(h.continuation[pieceIndex(moving)][to][0][prev.prev1], bonus + 5);
    if (prev.prev2) gravity(h.continuation[pieceIndex(moving)][to][1][prev.prev2], bonus + 5);
    if (prev.prev4) gravity(h.continuation[pieceIndex(moving)][to][1][prev.prev4], bonus + 5);
  }
  if (!penalize) return;

  const int p = -bonus;
  for (int i = 0; i < captures.count; ++i) {
    const Move m = captures.moves[i];
    if (m == best) continue;
    const PieceCode moving = pos.board[fromSquare(m)];
    const PieceCode target = pos.board[toSquare(m)];
    gravity(h.capture[target == Empty ? 6 : typeOf(target)][pieceIndex(moving)][toSquare(m)], p);
  }
  for (int i = 0; i < quiets.count; ++i) {
    const Move m = quiets.moves[i];
    if (m == best) continue;
    const PieceCode moving = pos.board[fromSquare(m)];
    const int to = toSquare(m);
    gravity(h.butterfly[historyGroup(moving)][m & 4095], p);
    if (prev.prev1) gravity(h.continuation[pieceIndex(moving)][to][0][prev.prev1], p);
    if (prev.prev2) gravity(h.continuation[pieceIndex(moving)][to][1][prev.prev2], p);
    if (prev.prev4) gravity(h.continuation[pieceIndex(moving)][to][1][prev.prev4], p);
  }
}

void moveToFront(MoveList& list, Move m, int start) {
  for (int i = start; i < list.count; ++i)
    if (list.moves[i] == m) {
      for (int j = i; j > start; --j) {
        list.moves[j] = list.moves[j - 1];
        list.scores[j] = list.scores[j - 1];
      }
      list.moves[start] = m;
      return;
    }
}

}  // namespace tarn

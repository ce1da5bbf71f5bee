// Where a position's bit lies in each of the nine bitbases.
//
// Every formula sees the board with the pawn side as White (pawns moving
// towards row 0; the probe turns a black pawn side's squares s into 63 - s).
// The first pawn is brought to files a-d by mirroring all squares (s XOR 7)
// when it stands on files e-h. A pawn on row r (1..6) and file f counts as
// 8 (r - 1) + f among 48 squares, or 4 (r - 1) + f among the 24 of files a-d.
// The pawn part ends with the side-to-move flag (1 when the strong side is to
// move) as its lowest bit; below it come 6-bit square fields, the strong king
// lowest, then the weak king, then the piece:
//
//   2 KPK    ((P1 * 2 + flag) * 64 + weakKing) * 64 + strongKing                  48 * 4096 bits
//   3 KPKP   (((P1 * 48 + Q) * 2 + flag) * 64 + weakKing) * 64 + strongKing        P1 strong pawn, Q weak pawn
//   4 KPPK   (((P1 * 48 + Q) * 2 + flag) * 64 + weakKing) * 64 + strongKing        P1 the pawn on the lower square
//   5 KPPKP  (((P1 * 40 + B) * 2 + flag) * 64 + weakKing) * 64 + strongKing        see below
//   6 KQKP, 7 KRKP   (((P1 * 2 + flag) * 64 + piece) * 64 + pawnKing) * 64 + pieceKing
//   8 KNPK, 9 KBPK   (((P1 * 2 + flag) * 64 + piece) * 64 + weakKing) * 64 + strongKing
//
// In table 4 the first pawn is the one on the lower square (the more advanced,
// or the one nearer file a on the same row), taken after mirroring; its twin
// order never occurs. Table 5 covers the positions in which one strong pawn
// stands directly in front of the weak pawn, the two blocking each other: P1
// is the other, free, strong pawn and B = 8 (r - 1) + f the weak pawn's square
// (rows 1..5, 40 squares). Positions without such a pair are not in the table.
// Tables 6 and 7 answer for the piece side, whose king is the lowest field.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

constexpr uint64_t NoBitbaseIndex = ~uint64_t(0);

// Bits of each table, in file order (table 1 carries the checksums of the others).
enum BitbaseTable : int { TableChecksums, TableKPK, TableKPKP, TableKPPK, TableKPPKP, TableKQKP, TableKRKP, TableKNPK, TableKBPK };
constexpr int BitbaseCount = 9;

constexpr uint64_t BitbaseBits[BitbaseCount] = {
    0,
    uint64_t(24) * 2 * 4096,
    uint64_t(24) * 48 * 2 * 4096,
    uint64_t(24) * 48 * 2 * 4096,
    uint64_t(24) * 40 * 2 * 4096,
    uint64_t(24) * 2 * 64 * 4096,
    uint64_t(24) * 2 * 64 * 4096,
    uint64_t(24) * 2 * 64 * 4096,
    uint64_t(24) * 2 * 64 * 4096,
};

namespace bitbase_detail {

constexpr bool pawnRow(int s) { return rowOf(s) >= 1 && rowOf(s) <= 6; }
constexpr int slot48(int s) { return 8 * (rowOf(s) - 1) + fileOf(s); }
constexpr int slot24(int s) { return 4 * (rowOf(s) - 1) + fileOf(s); }
constexpr uint64_t kings(uint64_t pawnPart, int weakKing, int strongKing) {
  return (pawnPart * 64 + uint64_t(weakKing)) * 64 + uint64_t(strongKing);
}

}  // namespace bitbase_detail

constexpr uint64_t indexKPK(int strongKing, int weakKing, int pawn, bool strongToMove) {
  using namespace bitbase_detail;
  if (!pawnRow(pawn)) return NoBitbaseIndex;
  const int m = fileOf(pawn) >= 4 ? 7 : 0;
  return kings(uint64_t(slot24(pawn ^ m)) * 2 + strongToMove, weakKing ^ m, strongKing ^ m);
}

constexpr uint64_t indexKPKP(int strongKing, int weakKing, int strongPawn, int weakPawn, bool strongToMove) {
  using namespace bitbase_detail;
  if (!pawnRow(strongPawn) || !pawnRow(weakPawn)) return NoBitbaseIndex;
  const int m = fileOf(strongPawn) >= 4 ? 7 : 0;
  const uint64_t pawns = uint64_t(slot24(strongPawn ^ m)) * 48 + uint64_t(slot48(weakPawn ^ m));
  return kings(pawns * 2 + strongToMove, weakKing ^ m, strongKing ^ m);
}

constexpr uint64_t indexKPPK(int strongKing, int weakKing, int pawnA, int pawnB, bool strongToMove) {
  using namespace bitbase_detail;
  if (!pawnRow(pawnA) || !pawnRow(pawnB) || pawnA == pawnB) return NoBitbaseIndex;
  const int m = fileOf(pawnA < pawnB ? pawnA : pawnB) >= 4 ? 7 : 0;
  const int a = pawnA ^ m, b = pawnB ^ m;
  const int first = a < b ? a : b, second = a < b ? b : a;
  const uint64_t pawns = uint64_t(slot24(first)) * 48 + uint64_t(slot48(second));
  return kings(pawns * 2 + strongToMove, weakKing ^ m, strongKing ^ m);
}

constexpr uint64_t indexKPPKP(int strongKing, int weakKing, int pawnA, int pawnB, int weakPawn, bool strongToMove) {
  using namespace bitbase_detail;
  if (!pawnRow(pawnA) || !pawnRow(pawnB) || !pawnRow(weakPawn) || rowOf(weakPawn) > 5) return NoBitbaseIndex;
  const int blocker = weakPawn + 8;
  const int free = pawnA == blocker ? pawnB : pawnB == blocker ? pawnA : -1;
  if (free < 0 || free == blocker) return NoBitbaseIndex;
  const int m = fileOf(free) >= 4 ? 7 : 0;
  const uint64_t pawns = uint64_t(slot24(free ^ m)) * 40 + uint64_t(slot48(weakPawn ^ m));
  return kings(pawns * 2 + strongToMove, weakKing ^ m, strongKing ^ m);
}

// Tables 6 to 9: one pawn and one piece; `strongKing` belongs to the side the table answers for.
constexpr uint64_t indexPieceAndPawn(int strongKing, int weakKing, int piece, int pawn, bool strongToMove) {
  using namespace bitbase_detail;
  if (!pawnRow(pawn)) return NoBitbaseIndex;
  const int m = fileOf(pawn) >= 4 ? 7 : 0;
  const uint64_t pawnPart = uint64_t(slot24(pawn ^ m)) * 2 + strongToMove;
  return kings(pawnPart * 64 + uint64_t(piece ^ m), weakKing ^ m, strongKing ^ m);
}

static_assert(indexKPK(H1, A8, H2, true) == ((uint64_t(8 * 5 + 2 * 0 + 1) * 64 + H8) * 64 + A1));

}  // namespace tarn

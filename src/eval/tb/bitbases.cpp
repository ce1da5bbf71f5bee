#include "eval/tb/bitbases.h"

#include <vector>

#include "board/attacks.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbase_limits.h"

namespace tarn {

namespace {

BitbaseSet engineTables;

// Signature words (position.h) of the material the tables know.
constexpr uint16_t OnePawn = 1;
constexpr uint16_t OneQueen = 8192;
constexpr uint16_t OneRook = 1024;
constexpr uint16_t KnightAndPawn = 16 + 1;
constexpr uint16_t BishopAndPawn = 128 + 1;

constexpr int PawnWinBonus = 900;
constexpr int QueenWinBonus = 200;
constexpr int PieceWinBonus = 600;

// Squares as the tables see them: the pawn side as White.
struct View {
  bool rotate;
  int operator()(int s) const { return rotate ? 63 - s : s; }
};

int firstSquare(Bitboard b) { return b ? lowestSquare(b) : 0; }
int lastSquare(Bitboard b) { return b ? highestSquare(b) : 0; }

// Bit of a pawn ending with `strong` as the strong side (tables 2 to 5).
int probePawnEnding(const BitbaseSet& set, const Position& pos, int table, Color strong) {
  const View v{strong == Black};
  const int sK = v(pos.king(strong)), wK = v(pos.king(~strong));
  const bool flag = pos.sideToMove == strong;
  Bitboard own = pos.pieces(strong, Pawn);
  const Bitboard other = pos.pieces(~strong, Pawn);
  const int p = v(popLowest(own));
  switch (table) {
    case TableKPK: return set.bit(table, indexKPK(sK, wK, p, flag));
    case TableKPKP: return set.bit(table, indexKPKP(sK, wK, p, v(lowestSquare(other)), flag));
    case TableKPPK: return set.bit(table, indexKPPK(sK, wK, p, v(lowestSquare(own)), flag));
    default: return set.bit(table, indexKPPKP(sK, wK, p, v(lowestSquare(own)), v(lowestSquare(other)), flag));
  }
}

// Bit of tables 6 to 9: `pawnSide` has the pawn, `strong` is the side the table answers for.
int probePieceEnding(const BitbaseSet& set, const Position& pos, int table, Color pawnSide, Color strong) {
  const View v{pawnSide == Black};
  const int piece = lowestSquare(pos.pieces(Knight) | pos.pieces(Bishop) | pos.pieces(Rook) | pos.pieces(Queen));
  const int pawn = lowestSquare(pos.pieces(Pawn));
  return set.bit(table, indexPieceAndPawn(v(pos.king(strong)), v(pos.king(~strong)), v(piece), v(pawn),
                                          pos.sideToMove == strong));
}

struct Refinement {
  int wk, bk, wp, bp, bp1;
  bool whitePawns, blackPawns;

  explicit Refinement(const Position& pos)
      : wk(pos.king(White)), bk(pos.king(Black)), wp(firstSquare(pos.pieces(White, Pawn))),
        bp(lastSquare(pos.pieces(Black, Pawn))), bp1(firstSquare(pos.pieces(Black, Pawn))),
        whitePawns(pos.pieces(White, Pawn) != 0), blackPawns(pos.pieces(Black, Pawn) != 0) {}

  // The nearer a side's king and most advanced pawn are to promotion, the better.
  int whiteTerm() const { return 4 * (24 - 2 * rowOf(wk) - rowOf(wp)); }
  int blackTerm() const { return 4 * (3 + 2 * rowOf(bk) + rowOf(bp)); }
};

// Step 1: kings and pawns only. -1 when no table answers.
bool probePawnsOnly(const BitbaseSet& set, const Position& pos, int& s) {
  const int whitePawns = pawnCount(pos, White), blackPawns = pawnCount(pos, Black);
  for (const Color strong : {White, Black}) {
    const int own = strong == White ? whitePawns : blackPawns, other = strong == White ? blackPawns : whitePawns;
    const int bonus = strong == White ? PawnWinBonus : -PawnWinBonus;
    int table;
    if (own == 1 && other == 0) table = TableKPK;
    else if (own == 2 && other == 0) table = TableKPPK;
    else if (own == 1 && other == 1) table = TableKPKP;
    else if (own == 2 && other == 1) table = TableKPPKP;
    else continue;

    int bit = probePawnEnding(set, pos, table, strong);
    if (bit < 0) return false;
    if (bit == 0) {
      s += bonus;
      return true;
    }
    // A pawn each: a draw for White may still be a win for Black.
    if (table == TableKPKP) {
      bit = probePawnEnding(set, pos, table, ~strong);
      if (bit < 0) return false;
      if (bit == 0) {
        s += -bonus;
        return true;
      }
    }
    s = 0;
    return true;
  }
  return false;
}

// Step 2: one pawn against a queen or a rook, or knight or bishop and pawn against a bare king.
bool probeWithPieces(const BitbaseSet& set, const Position& pos, int& s) {
  for (const Color pawnSide : {White, Black}) {
    const uint16_t own = pos.material[pawnSide].signature, other = pos.material[~pawnSide].signature;
    int table, bonus;
    Color strong;
    if (own == OnePawn && other == OneQueen) table = TableKQKP, strong = ~pawnSide, bonus = QueenWinBonus;
    else if (own == OnePawn && other == OneRook) table = TableKRKP, strong = ~pawnSide, bonus = PieceWinBonus;
    else if (own == KnightAndPawn && other == 0) table = TableKNPK, strong = pawnSide, bonus = PieceWinBonus;
    else if (own == BishopAndPawn && other == 0) table = TableKBPK, strong = pawnSide, bonus = PieceWinBonus;
    else continue;

    const int bit = probePieceEnding(set, pos, table, pawnSide, strong);
    if (bit < 0) return false;
    if (bit == 0) {
      s += strong == White ? bonus : -bonus;
    } else if (table == TableKQKP) {
      // The queen cannot win, but keeps a small edge over the pawn.
      const int d = s;
      s = (d >> 6) + (d >> 5);
    } else {
      s = 0;
    }
    return true;
  }
  return false;
}

}  // namespace

void BitbaseSet::clear() {
  for (BitbaseRecord& r : records) r.clear();
  loadedCount = 0;
}

int BitbaseSet::load(std::span<const uint8_t> set) {
  clear();
  SetCursor cursor{set};
  size_t begin[BitbaseCount], end[BitbaseCount];
  bool whole[BitbaseCount];
  for (int t = 0; t < BitbaseCount; ++t) whole[t] = records[t].read(cursor, begin[t], end[t]);

  // Without a readable checksum table no other table can be trusted.
  const BitbaseRecord& sums = records[TableChecksums];
  const bool checked = whole[TableChecksums] && sums.totalBytes() >= 4 * (BitbaseCount - 1);
  for (int t = 0; t < BitbaseCount; ++t) {
    bool good = whole[t] && checked;
    if (good && t != TableChecksums) {
      const uint64_t k = uint64_t(4) * (t - 1);
      const uint32_t stored = uint32_t(sums.byteAt(k)) | uint32_t(sums.byteAt(k + 1)) << 8 |
                              uint32_t(sums.byteAt(k + 2)) << 16 | uint32_t(sums.byteAt(k + 3)) << 24;
      good = stored == recordChecksum(set.subspan(begin[t], end[t] - begin[t]));
    }
    if (good)
      ++loadedCount;
    else
      records[t].clear();
  }
  return loadedCount;
}

const BitbaseSet& bitbases() { return engineTables; }

int loadBitbases(const std::string& folder) {
  std::vector<uint8_t> set;
  readBitbaseSet(folder + "/" + BitbaseFileName, set);
  return engineTables.load(set);
}

bool probeBitbases(const BitbaseSet& set, const Position& pos, int& score) {
  if (pos.epSquare != NoSquare) return false;
  int s = materialSum(pos, White) - materialSum(pos, Black);
  const Refinement r(pos);
  const bool pawnsOnly = !hasPieces(pos.material[White]) && !hasPieces(pos.material[Black]);

  if (pawnsOnly) {
    if (!probePawnsOnly(set, pos, s)) return false;
    if (s > 0) s += r.whiteTerm();
    if (s < 0) s -= r.blackTerm();
  } else {
    if (!probeWithPieces(set, pos, s)) return false;
    const int kings = 6 * distance(r.wk, r.bk);
    if (s > 0 && s >= kings) s -= kings;
    if (s < 0) s += kings;
    if (s > 0 && r.blackPawns) s -= 8 * distance(r.wk, r.bp1);
    if (s < 0 && r.whitePawns) s += 8 * distance(r.bk, r.wp);
    if (s > 0 && r.whitePawns) s += r.whiteTerm();
    if (s < 0 && r.blackPawns) s -= r.blackTerm();
  }
  score = pos.sideToMove == White ? s : -s;
  return true;
}

}  // namespace tarn

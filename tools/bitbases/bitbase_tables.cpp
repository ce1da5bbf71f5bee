#include "bitbases/bitbase_tables.h"

#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "eval/tb/bitbase_index.h"

namespace tarn::bitbase_gen {

namespace {

// Pieces the strong side adds to king and pawn in tables 6 to 9, as White in the solver.
int pieceOf(int table) {
  switch (table) {
    case TableKQKP: return Queen;
    case TableKRKP: return Rook;
    case TableKNPK: return Knight;
    default: return Bishop;
  }
}

void visit(const Setup& s, const std::function<void(const TablePosition&)>& f) {
  for (const Color side : {White, Black}) {
    Bitboard legal = side == White ? legalWhiteToMove(s) : legalBlackToMove(s);
    while (legal) f(TablePosition{s, popLowest(legal), side});
  }
}

int squareOf(const Setup& s, Color c, int type, int nth = 0) {
  for (int i = 0; i < s.count; ++i)
    if (s.men[i].colour == c && s.men[i].type == type && nth-- == 0) return s.men[i].square;
  return -1;
}

}  // namespace

void forEachTablePosition(int table, const std::function<void(const TablePosition&)>& f) {
  for (int bk = 0; bk < 64; ++bk) {
    Setup base;
    base.add(Black, King, bk);
    switch (table) {
      case TableKPK:
        for (int p = 8; p < 56; ++p) {
          Setup s = base;
          s.add(White, Pawn, p);
          visit(s, f);
        }
        break;
      case TableKPKP:
        for (int p = 8; p < 56; ++p)
          for (int q = 8; q < 56; ++q) {
            Setup s = base;
            s.add(White, Pawn, p);
            s.add(Black, Pawn, q);
            visit(s, f);
          }
        break;
      case TableKPPK:
        for (int p = 8; p < 56; ++p)
          for (int q = p + 1; q < 56; ++q) {
            Setup s = base;
            s.add(White, Pawn, p);
            s.add(White, Pawn, q);
            visit(s, f);
          }
        break;
      case TableKPPKP:
        for (int q = 8; q < 48; ++q)
          for (int p = 8; p < 56; ++p) {
            Setup s = base;
            s.add(White, Pawn, p);
            s.add(White, Pawn, q + 8);
            s.add(Black, Pawn, q);
            visit(s, f);
          }
        break;
      default:
        for (int piece = 0; piece < 64; ++piece)
          for (int p = 8; p < 56; ++p) {
            Setup s = base;
            s.add(White, pieceOf(table), piece);
            if (table == TableKQKP || table == TableKRKP)
              s.add(Black, Pawn, p);
            else
              s.add(White, Pawn, p);
            visit(s, f);
          }
    }
  }
}

uint64_t tableIndex(int table, const TablePosition& p) {
  const Setup& s = p.setup;
  const int wk = p.whiteKing, bk = s.blackKing();
  const bool whiteToMove = p.side == White;
  switch (table) {
    case TableKPK: return indexKPK(wk, bk, squareOf(s, White, Pawn), whiteToMove);
    case TableKPKP: return indexKPKP(wk, bk, squareOf(s, White, Pawn), squareOf(s, Black, Pawn), whiteToMove);
    case TableKPPK: return indexKPPK(wk, bk, squareOf(s, White, Pawn), squareOf(s, White, Pawn, 1), whiteToMove);
    case TableKPPKP:
      return indexKPPKP(wk, bk, squareOf(s, White, Pawn), squareOf(s, White, Pawn, 1), squareOf(s, Black, Pawn),
                        whiteToMove);
    case TableKQKP:
    case TableKRKP:
      // The tables see the pawn side as White: turn the board half round.
      return indexPieceAndPawn(63 - wk, 63 - bk, 63 - squareOf(s, White, pieceOf(table)),
                               63 - squareOf(s, Black, Pawn), whiteToMove);
    default:
      return indexPieceAndPawn(wk, bk, squareOf(s, White, pieceOf(table)), squareOf(s, White, Pawn), whiteToMove);
  }
}

bool fillTable(EndgameSolver& solver, int table, bitbase_writer::TableBits& out) {
  const size_t bytes = size_t(BitbaseBits[table] / 8);
  out.bits.assign(bytes, 0);
  out.care.assign(bytes, 0);
  uint64_t conflicts = 0;
  const Setup* cachedFor = nullptr;
  Setup cached;
  uint64_t wins[2] = {0, 0};
  forEachTablePosition(table, [&](const TablePosition& p) {
    // Positions come grouped by setup: ask the solver once per setup and side.
    if (!cachedFor || std::memcmp(&cached, &p.setup, sizeof cached) != 0) {
      cached = p.setup;
      cachedFor = &cached;
      wins[White] = solver.whiteWins(p.setup, White);
      wins[Black] = solver.whiteWins(p.setup, Black);
    }
    const uint64_t index = tableIndex(table, p);
    if (index >= BitbaseBits[table]) {
      ++conflicts;
      return;
    }
    const int notWin = (wins[p.side] >> p.whiteKing & 1) ? 0 : 1;
    const size_t byte = size_t(index >> 3);
    const uint8_t mask = uint8_t(1 << (index & 7));
    if (out.care[byte] & mask) {
      if (((out.bits[byte] & mask) != 0) != (notWin != 0)) ++conflicts;
      return;
    }
    out.care[byte] |= mask;
    if (notWin) out.bits[byte] |= mask;
  });
  if (conflicts) std::fprintf(stderr, "table %d: %llu positions disagree with their twins\n", table + 1,
                              static_cast<unsigned long long>(conflicts));
  return conflicts == 0;
}

std::string fenOf(const TablePosition& p) {
  char board[64];
  for (char& c : board) c = 0;
  board[p.whiteKing] = 'K';
  for (int i = 0; i < p.setup.count; ++i) {
    const Man& m = p.setup.men[i];
    const char letter = "pnbrqk"[m.type];
    board[m.square] = m.colour == White ? char(letter - 'a' + 'A') : letter;
  }
  std::string fen;
  for (int row = 0; row < 8; ++row) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const char c = board[row * 8 + file];
      if (!c) {
        ++empty;
        continue;
      }
      if (empty) fen += char('0' + empty), empty = 0;
      fen += c;
    }
    if (empty) fen += char('0' + empty);
    if (row < 7) fen += '/';
  }
  fen += p.side == White ? " w - - 0 1" : " b - - 0 1";
  return fen;
}

}  // namespace tarn::bitbase_gen

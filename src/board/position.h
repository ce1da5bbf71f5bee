// The position record.
//
// A Position is one plain value: a mailbox and bitboards kept side by side,
// the Zobrist and pawn keys, per-colour material words, the running sum of the
// piece-square entries, and the check and pin facts of the side to move.
// Moves are made in place and undone by restoring a saved copy (copy-make), so
// copying must stay cheap and the record holds no owned resources. The one
// pointer, `setup`, refers to the game's CastlingSetup, which every copy shares.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

// Per-colour material words, kings never counted.
//   signature: pawns + 16 knights + 128 bishops + 1024 rooks + 8192 queens.
//   weight: low 12 bits = half the material value (mod 4096),
//           high 4 bits = number of pieces other than pawns (mod 16).
struct MaterialCount {
  uint16_t signature;
  uint16_t weight;
};

constexpr int WeightValueMask = 0x0FFF;
constexpr int WeightPieceUnit = 4096;

// A colour has a piece besides pawns and king when its weight word is 4096 or more.
constexpr bool hasPieces(MaterialCount m) { return m.weight >= WeightPieceUnit; }

// Castling data of one game. The four entries are, in order: White h-side,
// White a-side, Black h-side, Black a-side.
struct CastlingSetup {
  Bitboard path[4];        // squares that must be empty to castle
  Bitboard rookMask;       // bits of the castling-rook squares, a quick filter for make-move
  Square rookSquare[4];    // NoSquare when there is none

  // Records the rook of entry `index` with its king on `kingSquare`; rebuilds mask and path.
  void setRook(int index, int kingSquare, int rookSq);
  void clear();
  void rebuildMask();
};

struct Position {
  PieceCode board[64];
  Bitboard pieceBB[6];
  Bitboard colourBB[2];
  Bitboard occupied;
  Key key;
  Key pawnKey;
  MaterialCount material[2];
  int32_t psqScore;
  Square kingSquare[2];
  uint16_t ply;
  Color sideToMove;
  uint8_t castlingRights;
  Square epSquare;
  uint8_t fiftyCounter;
  const CastlingSetup* setup;
  Bitboard checkers;
  Bitboard blockers[2];   // for White's king, for Black's king
  Bitboard pinners[2];    // White's sliders pinning Black pieces, Black's pinning White pieces

  // ---- Accessors ----
  PieceCode pieceOn(int s) const { return board[s]; }
  Bitboard pieces(Color c) const { return colourBB[c]; }
  Bitboard pieces(int type) const { return pieceBB[type]; }
  Bitboard pieces(Color c, int type) const { return pieceBB[type] & colourBB[c]; }
  Bitboard pieces(Color c, int t1, int t2) const { return (pieceBB[t1] | pieceBB[t2]) & colourBB[c]; }
  int king(Color c) const { return kingSquare[c]; }
  Color side() const { return sideToMove; }
  bool inCheck() const { return checkers != 0; }
};

// Piece-square table, [piece code][square], middle game in the low 16 bits and
// end game in the high 16 bits. Filled by the evaluation; pawn rows are never used.
extern int32_t pieceSquareTable[14][64];

Key computeHashKey(const Position& pos, Color side, int epSquare, int castlingRights);
Key computePawnKey(const Position& pos);

// Rebuilds every derived field from board, side to move, castling rights and
// en-passant square. For setup code only: make-move keeps them incrementally.
void refreshPosition(Position& pos);

// Recomputes blockers and pinners of both kings from the current occupancy.
void computeBlockersAndPinners(Position& pos);

// ---- Material, read from the material words -------------------------------

// Full material of a colour, pawns included (the weight word keeps half of it).
inline int materialSum(const Position& pos, Color c) { return 2 * (pos.material[c].weight & WeightValueMask); }
inline int pawnCount(const Position& pos, Color c) { return pos.material[c].signature & 15; }
inline int nonPawnMaterial(const Position& pos, Color c) { return materialSum(pos, c) - 96 * pawnCount(pos, c); }
// Number of pieces other than pawns and the king.
inline int pieceCount(const Position& pos, Color c) { return pos.material[c].weight >> 12; }
inline int piecesOnBoard(const Position& pos) { return pieceCount(pos, White) + pieceCount(pos, Black); }

// Full-move number as FEN writes it.
constexpr int fullMoveNumber(const Position& pos) { return pos.ply / 2 + 1; }

}  // namespace tarn

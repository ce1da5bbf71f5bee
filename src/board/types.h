// Basic vocabulary of the board: squares, colours, piece codes, moves and bitboards.
//
// Squares are numbered from the top-left corner as White sees the board:
// a8 = 0, h8 = 7, a1 = 56, h1 = 63. White pawns move towards lower numbers.
// Piece codes keep the colour in bit 3 and the type in bits 0-2, so that
// colour = code >> 3 and type = code & 7; an empty square holds code 6.
#pragma once

#include <bit>
#include <cstdint>

namespace tarn {

using Bitboard = uint64_t;
using Key = uint64_t;
using Square = uint8_t;
using PieceCode = uint8_t;
using Move = uint16_t;

// ---- Colours -------------------------------------------------------------

enum Color : uint8_t { White = 0, Black = 1 };

constexpr Color operator~(Color c) { return Color(c ^ 1); }

// ---- Squares -------------------------------------------------------------

constexpr Square NoSquare = 127;

constexpr int fileOf(int s) { return s & 7; }
constexpr int rowOf(int s) { return s >> 3; }           // 0 = rank 8
constexpr int rankOf(int s) { return 7 - (s >> 3); }    // 0 = rank 1
constexpr Square makeSquare(int file, int row) { return Square(file + 8 * row); }
// Rank counted from the given colour's own side (0 = its first rank).
constexpr int relativeRank(Color c, int s) { return c == White ? rankOf(s) : rowOf(s); }

enum : Square {
  A8, B8, C8, D8, E8, F8, G8, H8,
  A7, B7, C7, D7, E7, F7, G7, H7,
  A6, B6, C6, D6, E6, F6, G6, H6,
  A5, B5, C5, D5, E5, F5, G5, H5,
  A4, B4, C4, D4, E4, F4, G4, H4,
  A3, B3, C3, D3, E3, F3, G3, H3,
  A2, B2, C2, D2, E2, F2, G2, H2,
  A1, B1, C1, D1, E1, F1, G1, H1,
};

// ---- Pieces --------------------------------------------------------------

enum PieceType : uint8_t { Pawn = 0, Knight = 1, Bishop = 2, Rook = 3, Queen = 4, King = 5, NoPieceType = 6 };

constexpr PieceCode Empty = 6;
constexpr PieceCode WPawn = 0, WKnight = 1, WBishop = 2, WRook = 3, WQueen = 4, WKing = 5;
constexpr PieceCode BPawn = 8, BKnight = 9, BBishop = 10, BRook = 11, BQueen = 12, BKing = 13;

constexpr PieceCode makePiece(Color c, int type) { return PieceCode((c << 3) | type); }
constexpr Color colorOf(PieceCode p) { return Color(p >> 3); }
constexpr int typeOf(PieceCode p) { return p & 7; }

// Material values in engine units, and the half-values kept in the weight words.
constexpr int PieceValue[6] = {96, 328, 344, 532, 1028, 4000};
// Contribution of one piece of each type to a colour's signature word.
constexpr uint16_t SignatureStep[6] = {1, 16, 128, 1024, 8192, 0};

// ---- Moves ---------------------------------------------------------------
//
// bits 0-5 from, 6-11 to, 12-13 promotion (0 queen, 1 knight, 2 rook, 3 bishop),
// bit 15 marks the pseudo-moves that end a principal variation.

constexpr Move NullMove = 0;
constexpr Move MarkerTT = 0x8001;
constexpr Move MarkerDraw = 0x8002;
constexpr Move MarkerTable = 0x8003;

enum PromotionCode : int { PromoQueen = 0, PromoKnight = 1, PromoRook = 2, PromoBishop = 3 };

constexpr Move makeMove(int from, int to, int promo = 0) { return Move(from | (to << 6) | (promo << 12)); }
constexpr int fromSquare(Move m) { return m & 63; }
constexpr int toSquare(Move m) { return (m >> 6) & 63; }
constexpr int promotionCode(Move m) { return (m >> 12) & 3; }
constexpr bool isMarker(Move m) { return (m & 0x8000) != 0; }

// Piece type a promotion code stands for, and back.
constexpr int PromotionType[4] = {Queen, Knight, Rook, Bishop};
constexpr int promotionCodeOf(int pieceType) {
  return pieceType == Knight ? PromoKnight : pieceType == Rook ? PromoRook : pieceType == Bishop ? PromoBishop : PromoQueen;
}

// ---- Castling rights -----------------------------------------------------

enum CastlingRight : uint8_t { WhiteHSide = 1, WhiteASide = 2, BlackHSide = 4, BlackASide = 8, AllRights = 15 };

// ---- Bitboards -----------------------------------------------------------

constexpr Bitboard bit(int s) { return Bitboard(1) << s; }
constexpr int popCount(Bitboard b) { return std::popcount(b); }
constexpr int lowestSquare(Bitboard b) { return std::countr_zero(b); }
constexpr int highestSquare(Bitboard b) { return 63 - std::countl_zero(b); }
constexpr bool moreThanOne(Bitboard b) { return (b & (b - 1)) != 0; }

// Removes and returns the lowest square of a non-empty bitboard.
inline int popLowest(Bitboard& b) {
  int s = std::countr_zero(b);
  b &= b - 1;
  return s;
}

constexpr Bitboard FileABB = 0x0101010101010101ULL;
constexpr Bitboard FileHBB = FileABB << 7;
constexpr Bitboard Rank8BB = 0xFFULL;            // row 0
constexpr Bitboard Rank1BB = 0xFFULL << 56;      // row 7
constexpr Bitboard rankBB(int rank) { return 0xFFULL << (8 * (7 - rank)); }
constexpr Bitboard fileBB(int file) { return FileABB << file; }

}  // namespace tarn

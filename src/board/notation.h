// Moves as text: coordinates (UCI), SAN, long algebraic (the game record), and
// the readers for typed, pasted and PGN move text.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "board/position.h"

namespace tarn {

class GameRecord;

enum TextStyle : int { LongAlgebraic = 0, San = 1, Coordinate = 2 };

// Big enough for any move text of any style, terminator included.
constexpr int MoveTextSize = 16;

// Coordinate text of `m` in `pos` (before the move): "e2e4", "e7e8q". Castling
// prints as king to rook with `chess960`, else as the king's two-square step.
// Move 0 and the marker moves give an empty text. Returns the length.
int moveToCoordinate(char* out, Move m, const Position& pos, bool chess960);
std::string moveToCoordinate(Move m, const Position& pos, bool chess960);

// Text of `m` in the given style; false when the move is not legal in `pos`
// ("xx" for the long and SAN styles, the coordinates for style 2).
bool moveToText(char* out, Move m, const Position& pos, TextStyle style);
std::string moveToText(Move m, const Position& pos, TextStyle style);

// Coordinate text to a move word without looking at a position (for "searchmoves").
// The caller accepts the result only when it is neither 0 nor a marker.
Move parseCoordinateMove(std::string_view text);

constexpr int AnyPieceType = 6;

// What a move text says; -1 where a part is absent. Rows count from rank 8 (0).
struct MoveFields {
  int fromFile = -1, fromRow = -1, toFile = -1, toRow = -1;
  int pieceType = Pawn;
  int promotionType = Queen;
};

MoveFields parseMoveText(std::string_view text, const Position& pos);

// Plays the legal move that fits the fields (the last in generation order when
// several do) and records it in `record` when given; false when none fits.
bool matchAndPlayMove(Position& pos, const MoveFields& fields, int pieceType, int promotionType, GameRecord* record);

// Plays "Null" as a null move (refused in check), anything else through
// parseMoveText and matchAndPlayMove; the move is recorded in `record` when given.
bool playMoveText(std::string_view text, Position& pos, GameRecord* record);

// Told of each move token that matched no legal move, with the position it was tried on.
using SkippedMoveHandler = std::function<void(std::string_view token, const Position& pos)>;

// Plays every move of a PGN movetext in order, keeping brace comments in the
// record. A token that matches no legal move is skipped (and handed to `skipped`).
void parseMovetext(GameRecord& record, std::string_view movetext, Position& pos,
                   const SkippedMoveHandler& skipped = {});

}  // namespace tarn

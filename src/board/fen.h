// Reading, validating and writing FEN; Chess960 start positions; board flips.
//
// Reading accepts standard castling letters, X-FEN (KQkq meaning the outermost
// rook) and Shredder-FEN rook files. Foreign characters are skipped rather than
// rejected: a text that still describes 64 squares and a side to move is read.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "board/position.h"

namespace tarn {

// Castling notation of the whole process: king-takes-rook moves and rook-file
// castling letters when on. Set by the front ends between searches.
extern std::atomic<bool> chess960Mode;
inline bool isChess960() { return chess960Mode.load(std::memory_order_relaxed); }

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* StartFenShort = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The validation messages, exactly as the window program shows them.
namespace FenError {
constexpr const char* NotEnoughSquares = "Not a valid Position, not enough squares";
constexpr const char* TooManyKings = "Not a valid Position\n(Too many kings.)";
constexpr const char* MissingKing = "Not a valid Position\n(Missing king or kings.)";
constexpr const char* KingCanBeCaptured = "Not a valid Position\n(King can be captured.)";
constexpr const char* TooManyPawns = "Not a valid Position\n(Too many pawns.)";
constexpr const char* PawnOnBackRank = "Not a valid Position\n(Pawn on first or last rank.)";
}  // namespace FenError

// Reads `text` into `target` with the game's castling setup. On success returns
// true, stores the position and the setup. On failure returns false, leaves both
// unchanged and, when `message` is given, points it at the reason.
bool readFen(Position& target, std::string_view text, CastlingSetup& setup, const char** message = nullptr);

// Checks a freshly set-up position and settles its castling data in `setup`,
// which becomes the position's setup; the first failed rule's message goes to `message`.
bool validatePosition(Position& pos, CastlingSetup& setup, const char** message = nullptr);

// Writes the FEN of `pos` with a terminating zero and returns its length; the
// buffer must hold at least FenBufferSize bytes.
constexpr int FenBufferSize = 100;
int writeFen(char* out, const Position& pos);
std::string toFen(const Position& pos);

// True when a side that may still castle has its king or that rook away from
// the standard squares, which only Chess960 allows (and its castling notation needs).
bool hasChess960Castling(const Position& pos);

// Sets up Chess960 start position number n (0..959; 518 is the standard array).
bool setupChess960(Position& target, int n, CastlingSetup& setup);

enum FlipMode : int { FlipRotate = 0, FlipSwapColours = 1 };

// Builds the rotated (mode 0) or colour-swapped (mode 1) position in `target`.
void flipColours(const Position& source, Position& target, FlipMode mode);

}  // namespace tarn

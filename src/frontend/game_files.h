// The main game and files: saving it as PGN, loading a game from a PGN file or
// a position from an EPD/FEN list, and pasting a transcript. What a person
// should see goes to the status line; none of this touches a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frontend/engine_state.h"
#include "frontend/pgn_header.h"
#include "frontend/pgn_writer.h"

namespace tarn {

// The start position of a game read from a file: its FEN tag, else the standard
// start position. `chess960` is set when the header names the variant or the
// castling rooks are not on the corners. False when the FEN tag does not read,
// with the reason in `message`; then nothing is changed.
bool readGameStart(const PgnHeader& header, Position& pos, CastlingSetup& setup, bool& chess960,
                   const char** message = nullptr);

// The result a line of a position list gives, as a score for White: "1-0",
// "|White" or "1.0" give 1; "0-1", "|Black" or "0.0" give 0; "1/2-1/2", "|Draw"
// or "0.5" give 0.5 (the later of these tests wins); a quote followed by a
// number gives that number. Nothing when the line has none of them.
std::optional<double> positionTarget(std::string_view line);

// The tags the main game is saved with: the engine's name for the sides it
// plays, the player's name for the others, the clock, the result, now.
GameTags mainGameTags(const EngineState& state, int round);

// Appends the main game to the PGN file at `path`; "Cannot Open File." on failure.
bool saveMainGame(const EngineState& state, const std::string& path, int round, std::string* error = nullptr);

// Loads game `n` (1-based) of a PGN file as the main game and shows the ply it
// was saved at. Returns n, or the number of games in the file when it has fewer
// (nothing changes then), or 0 when the file cannot be read or the game's FEN
// tag is no position (the reason goes to the status line).
int loadGame(EngineState& state, const std::string& path, int n);

// Loads line `n` (1-based) of an EPD/FEN list as a new game. Returns n, the
// number of lines when there are fewer, or 0 when the file cannot be read or
// the line is no position.
int loadPosition(EngineState& state, const std::string& path, int n);

// A pasted transcript: a FEN tag in it starts a new game from that position;
// its moves are then played on from the current position.
void pasteTranscript(EngineState& state, std::string_view text);

}  // namespace tarn

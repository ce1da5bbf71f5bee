// The UCI front end: identification block, command handler and loop.
#pragma once

#include <string_view>

#include "frontend/engine_state.h"
#include "frontend/line_reader.h"
#include "frontend/protocol_output.h"

namespace tarn {

// "id name", "id author", the option declarations and "uciok", each flushed.
void printUciIdentification(ProtocolOutput& out, const EngineOptions& options);

// Handles UCI command lines on an engine state. Commands are recognised by the
// line's first word; the rest of the line goes to that command's parser.
class UciHandler {
 public:
  // Also directs the search's reports to `out`.
  UciHandler(EngineState& state, ProtocolOutput& out);
  // Stops a running search and detaches its reports.
  ~UciHandler();
  UciHandler(const UciHandler&) = delete;
  UciHandler& operator=(const UciHandler&) = delete;

  // Handles one line (without its line end). Returns false once "quit" was handled.
  bool handleLine(std::string_view line);

 private:
  void isReady();
  void newGame();
  void position(std::string_view arguments);
  void go(std::string_view arguments);
  void stop();
  void quit();
  void ponderHit();
  void eval();

  EngineState& state;
  ProtocolOutput& out;
};

// Reads lines until "quit" or end of input and hands each to a UciHandler; the
// end of the input counts as "quit".
void runUciLoop(EngineState& state, ProtocolOutput& out, LineReader& input);

}  // namespace tarn

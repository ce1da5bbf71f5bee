// The WinBoard command handler fed arbitrary lines, its output discarded.
//
// One session lives across inputs, as in a long GUI session. The engine plays
// neither side and "go" and "analyze" lines are left out: a search would run in
// the background until the next command and make every input slow. "cores",
// "result" (which writes the game log) and "hard" are left out for the same
// reasons; everything else, board commands and moves included, is fuzzed.
#include <cstdint>
#include <string_view>

#include "board/attacks.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"
#include "frontend/command_words.h"
#include "frontend/engine_state.h"
#include "frontend/protocol_output.h"
#include "frontend/winboard.h"

namespace {

struct Session {
  Session() : output(tarn::discardingSink()) {
    tarn::initZobrist();
    tarn::initAttackTables();
    tarn::initEvaluation();
    tarn::addEngineDefaults(settings);
    settings.set("LogGames", "0");
    state.active = &settings;  // no path: the traffic log never writes
    handler.startSession();
  }
  tarn::Settings settings;
  tarn::EngineState state;
  tarn::ProtocolOutput output;
  tarn::WinBoardHandler handler{state, output};
};

bool leftOut(std::string_view word) {
  for (std::string_view w : {"go", "analyze", "cores", "result", "hard"})
    if (word == w) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Session session;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (leftOut(tarn::splitFirstWord(line).word)) continue;
    session.state.engineColor = tarn::EnginePlaysNeither;
    if (!session.handler.handleLine(line)) session.state.quit = false;
  }
  return 0;
}

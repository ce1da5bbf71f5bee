// The UCI command handler fed arbitrary lines, its output discarded.
//
// One engine state lives across inputs, as in a long GUI session. Lines that
// ask for perft are left out (a random depth could run for hours), and so are
// "Hash" settings, which would allocate and clear gigabytes; the option parsing
// they share with the other options is still fuzzed. "Threads" is left out for
// the same reason, and "go" lines are parsed but not searched: a search runs in
// the background until the next command, which would make every input slow.
#include <cstdint>
#include <string_view>

#include "board/attacks.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"
#include "frontend/engine_state.h"
#include "frontend/protocol_output.h"
#include "frontend/command_words.h"
#include "frontend/uci.h"
#include "frontend/uci_go.h"

namespace {

struct Session {
  Session() : output(tarn::discardingSink()) {
    tarn::initZobrist();
    tarn::initAttackTables();
    tarn::initEvaluation();
    state.active = &settings;  // no path: the traffic log never writes
    state.game.setStartPosition();
  }
  tarn::Settings settings;
  tarn::EngineState state;
  tarn::ProtocolOutput output;
  tarn::UciHandler handler{state, output};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Session session;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (line.find("perft") != std::string_view::npos || line.find("Hash") != std::string_view::npos ||
        line.find("Threads") != std::string_view::npos)
      continue;
    const tarn::FirstWord first = tarn::splitFirstWord(line);
    if (first.word == "go") {
      tarn::SearchLimits limits;
      tarn::applyGoCommand(tarn::parseGoCommand(first.rest), session.state.game.position, limits);
      continue;
    }
    if (!session.handler.handleLine(line)) session.state.quit = false;
  }
  return 0;
}

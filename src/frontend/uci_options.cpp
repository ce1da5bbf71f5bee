#include "frontend/uci_options.h"

#include <algorithm>
#include <string>

#include "board/fen.h"
#include "frontend/command_words.h"
#include "eval/tb/syzygy.h"
#include "frontend/engine_services.h"

namespace tarn {

namespace {

std::string fixed(const char* text) { return text; }

// Integer options read the number at the start of the value (0 without digits)
// and do nothing when the line has no value at all.
template <void (*Set)(EngineState&, int)>
void applyInteger(EngineState& state, std::optional<std::string_view> value) {
  if (value) Set(state, leadingInt(*value));
}

// Check options: the value word "true" switches on, "false" off, anything else leaves it.
std::optional<bool> checkValue(std::optional<std::string_view> value) {
  if (!value) return std::nullopt;
  const std::string_view word = splitFirstWord(*value).word;
  if (word == "true") return true;
  if (word == "false") return false;
  return std::nullopt;
}

void setHash(EngineState& state, int megabytes) {
  if (megabytes < MinHashMegabytes) return;
  if (!resizeTranspositionTable(megabytes)) {
    state.notice = "hash table of " + std::to_string(megabytes) + " MB could not be allocated; keeping " +
                   std::to_string(state.options.hashMegabytes) + " MB";
    return;
  }
  state.options.hashMegabytes = megabytes;
}

void setThreads(EngineState& state, int count) { state.options.threadCount = std::clamp(count, 1, MaxSearchThreads); }
void setMultiPV(EngineState& state, int count) { state.options.multiPV = count; }
void setProbeDepth(EngineState& state, int depth) {
  state.options.syzygyProbeDepth = depth;
  setTablebaseProbeDepth(depth);
}
// Contempt is added to every evaluation: the advertised range keeps it from
// overflowing the score.
void setContemptMid(EngineState& state, int value) { state.options.contemptMid = std::clamp(value, -50, 50); }
void setContemptEnd(EngineState& state, int value) { state.options.contemptEnd = std::clamp(value, -50, 50); }

void clearHash(EngineState&, std::optional<std::string_view>) { clearAllTables(); }

void setPonder(EngineState& state, std::optional<std::string_view> value) {
  if (const auto on = checkValue(value)) state.options.ponder = *on;
}

void setOwnBook(EngineState& state, std::optional<std::string_view> value) {
  if (const auto on = checkValue(value)) state.active->set("BookEnabled", *on ? "1" : "0");
}

void setDebugLog(EngineState& state, std::optional<std::string_view> value) {
  if (const auto on = checkValue(value)) state.log.setEnabled(*on);
}

void setChess960(EngineState&, std::optional<std::string_view> value) {
  if (const auto on = checkValue(value)) chess960Mode.store(*on, std::memory_order_relaxed);
}

// One blank-free word, cut to 1024 characters: a path with blanks is cut at the first.
void setSyzygyPath(EngineState& state, std::optional<std::string_view> value) {
  if (!value) return;
  const std::string_view word = splitFirstWord(*value).word;
  if (word.empty()) return;
  state.options.syzygyPath = std::string(word.substr(0, MaxSyzygyPathLength));
  reloadTablebases(state.options.syzygyPath);
}

const UciOption Options[] = {
    {"Hash", [](const EngineOptions&) { return fixed("type spin default 64 min 4 max 65536"); }, applyInteger<setHash>},
    {"Clear Hash", [](const EngineOptions&) { return fixed("type button"); }, clearHash},
    {"Ponder", [](const EngineOptions&) { return fixed("type check"); }, setPonder},
    {"OwnBook", [](const EngineOptions&) { return fixed("type check default true"); }, setOwnBook},
    {"Debug Log", [](const EngineOptions&) { return fixed("type check default false"); }, setDebugLog},
    {"UCI_Chess960", [](const EngineOptions&) { return fixed("type check default false"); }, setChess960},
    {"Threads",
     [](const EngineOptions&) { return "type spin default 1 min 1 max " + std::to_string(MaxSearchThreads); },
     applyInteger<setThreads>},
    {"SyzygyPath", [](const EngineOptions&) { return fixed("type string"); }, setSyzygyPath},
    {"SyzygyProbeDepth",
     [](const EngineOptions& o) { return "type spin default " + std::to_string(o.syzygyProbeDepth) + " min 1 max 16"; },
     applyInteger<setProbeDepth>},
    {"MultiPV", [](const EngineOptions&) { return "type spin default 1 min 1 max " + std::to_string(MaxMultiPV); },
     applyInteger<setMultiPV>},
    {"ContemptMid",
     [](const EngineOptions& o) { return "type spin default " + std::to_string(o.contemptMid) + " min -50 max 50"; },
     applyInteger<setContemptMid>},
    {"ContemptEnd",
     [](const EngineOptions& o) { return "type spin default " + std::to_string(o.contemptEnd) + " min -50 max 50"; },
     applyInteger<setContemptEnd>},
};

}  // namespace

std::span<const UciOption> uciOptions() { return Options; }

std::string uciOptionLine(const UciOption& option, const EngineOptions& options) {
  return "option name " + std::string(option.name) + " " + option.declaration(options);
}

void applySetOption(EngineState& state, std::string_view arguments) {
  FirstWord w = splitFirstWord(arguments);
  if (w.word != "name") return;

  // The name is every word up to the word "value", joined by single blanks.
  std::string name;
  std::optional<std::string_view> value;
  for (w = splitFirstWord(w.rest); !w.word.empty(); w = splitFirstWord(w.rest)) {
    if (w.word == "value") {
      value = w.rest;
      break;
    }
    if (!name.empty()) name += ' ';
    name += w.word;
  }
  for (const UciOption& option : Options)
    if (option.name == name) return option.apply(state, value);
}

}  // namespace tarn

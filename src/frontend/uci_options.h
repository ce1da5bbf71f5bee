// The UCI options: one table that both declares them ("option name ..." lines
// of the identification block) and applies "setoption".
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "frontend/engine_state.h"

namespace tarn {

constexpr int MaxMultiPV = 10;
constexpr size_t MaxSyzygyPathLength = 1024;

struct UciOption {
  std::string_view name;
  // The declaration after "option name NAME ", from the current option values.
  std::string (*declaration)(const EngineOptions& options);
  // Applies a "setoption" for this option; `value` is the text after the word
  // "value" (absent when the line has no such word).
  void (*apply)(EngineState& state, std::optional<std::string_view> value);
};

// The options in the order the identification block declares them.
std::span<const UciOption> uciOptions();

// "option name NAME DECLARATION" for every option, in order.
std::string uciOptionLine(const UciOption& option, const EngineOptions& options);

// Parses the text after "setoption" ("name N... [value V...]") and applies it.
// Option names are compared exactly, word by word; unknown names do nothing.
void applySetOption(EngineState& state, std::string_view arguments);

}  // namespace tarn

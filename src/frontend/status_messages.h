// Texts for the person at the window program's status line ("Book Full!",
// "Position Added. ...", "Cannot Open File.").
//
// The window program installs a sink at start-up; the protocol modes install
// none, so the texts go nowhere there. Whatever a protocol partner must know
// goes out separately as an "info string" line.
#pragma once

#include <string_view>

namespace tarn {

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // May be called from any thread.
  virtual void showStatus(std::string_view text) = 0;
};

// Installs (or, with nullptr, removes) the sink; the caller keeps it alive.
void installStatusSink(StatusSink* sink);

// True when a sink is installed, so that callers can skip formatting texts nobody sees.
bool statusShown();

// Hands `text` to the sink; does nothing without one.
void showStatus(std::string_view text);

}  // namespace tarn

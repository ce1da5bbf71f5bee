// The protocol channel: whole lines, each written and flushed at once.
//
// The protocol loop and the search threads both print, so every write takes one
// mutex and hands the finished text to the sink in one piece: lines of two
// threads never interleave. The sink is standard output in a real run; tests
// and fuzz targets redirect it.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace tarn {

class ProtocolOutput {
 public:
  // Receives finished text (line ends included) and must deliver it at once.
  using Sink = std::function<void(std::string_view)>;

  explicit ProtocolOutput(Sink sink) : sink(std::move(sink)) {}
  ProtocolOutput(const ProtocolOutput&) = delete;
  ProtocolOutput& operator=(const ProtocolOutput&) = delete;

  // Writes `text` and a line end.
  void line(std::string_view text);

  // Writes `text` as it is (several finished lines, or a text without line end).
  void write(std::string_view text);

  // Replaces the sink (tests).
  void redirect(Sink newSink);

 private:
  std::mutex mutex;
  Sink sink;
};

// Writes to standard output and flushes after every piece.
ProtocolOutput& standardOutput();

// A sink that drops everything (fuzz targets).
inline ProtocolOutput::Sink discardingSink() {
  return [](std::string_view) {};
}

}  // namespace tarn

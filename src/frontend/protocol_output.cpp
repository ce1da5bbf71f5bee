#include "frontend/protocol_output.h"

#include <cstdio>

namespace tarn {

void ProtocolOutput::line(std::string_view text) {
  std::string whole;
  whole.reserve(text.size() + 1);
  whole.append(text);
  whole += '\n';
  write(whole);
}

void ProtocolOutput::write(std::string_view text) {
  std::lock_guard lock(mutex);
  if (sink) sink(text);
}

void ProtocolOutput::redirect(Sink newSink) {
  std::lock_guard lock(mutex);
  sink = std::move(newSink);
}

ProtocolOutput& standardOutput() {
  static ProtocolOutput output([](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  });
  return output;
}

}  // namespace tarn

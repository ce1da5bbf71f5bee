#include "frontend/status_messages.h"

#include <atomic>

namespace tarn {

namespace {

std::atomic<StatusSink*> installedSink{nullptr};

}  // namespace

void installStatusSink(StatusSink* sink) { installedSink.store(sink); }

bool statusShown() { return installedSink.load() != nullptr; }

void showStatus(std::string_view text) {
  if (StatusSink* sink = installedSink.load()) sink->showStatus(text);
}

}  // namespace tarn

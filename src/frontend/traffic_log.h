// The traffic log "testlog.txt": protocol input and some output, when switched on.
//
// Each entry opens the file for appending, writes and closes it again, so the
// log survives a crash and can be read while the engine runs. A log without a
// path, or whose file cannot be opened, writes nothing.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

namespace tarn {

constexpr const char* TrafficLogName = "testlog.txt";

class TrafficLog {
 public:
  void setPath(std::string path);
  const std::string& path() const { return filePath; }

  // The "Debug Log" switch (UCI option, or "DebugLog" of engineWB.dft in WinBoard mode).
  void setEnabled(bool on) { enabled.store(on, std::memory_order_relaxed); }
  bool isEnabled() const { return enabled.load(std::memory_order_relaxed); }

  // Appends `text` as it is when the log is on.
  void append(std::string_view text);

  // Appends "Received : " and the input line with a line end when the log is on.
  void received(std::string_view line);

 private:
  std::atomic<bool> enabled{false};
  std::mutex mutex;
  std::string filePath;
};

}  // namespace tarn

// A conversation with the engine: lines are sent one at a time and replies read
// as they come, so a test can act on what the engine says (a search reporting,
// "readyok" arriving while it searches). Every wait has a deadline; a dead or
// hung engine fails the test instead of blocking it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tarn::test {

class EngineSession {
 public:
  explicit EngineSession(const std::string& program);
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  bool started() const { return pid > 0; }
  void send(const std::string& line);

  // Reads lines until one satisfies `done` (returned last) or the timeout passes
  // (then `timedOut()` is set). Every line read is also kept in `transcript()`.
  std::vector<std::string> readUntil(const std::function<bool(const std::string&)>& done,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Reads until a line starting with `prefix`.
  std::vector<std::string> readUntilPrefix(const std::string& prefix,
                                           std::chrono::milliseconds timeout = std::chrono::seconds(20));
  bool timedOut() const { return timeout; }

  // Sends the engine the signal `number` (as a GUI does to interrupt it).
  void signal(int number);

  // Sends "quit" and waits for the process; its exit status, or -1.
  int quit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

 private:
  pid_t pid = -1;
  int toEngine = -1, fromEngine = -1;
  std::string pending;
  bool timeout = false;
};

// The value after `key` in a UCI info line ("depth" -> 12), or -1.
long long infoValue(const std::string& line, const std::string& key);

}  // namespace tarn::test

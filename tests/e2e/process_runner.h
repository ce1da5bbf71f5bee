// Runs a program with a given standard input and captures what it writes.
//
// Standard input, output and error are pipes; the input is written while the
// output is read, so neither side can block the other. A program still running
// after the timeout is killed, and the result says so: a hang fails its test
// instead of stopping the test run.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tarn::test {

struct ProcessResult {
  std::string out;
  std::string err;
  int exitStatus = -1;   // the exit status, or -1 when the program did not exit normally
  bool timedOut = false;
};

struct ProcessOptions {
  std::string input;                 // written to standard input
  bool closeInput = true;            // close standard input once `input` is written
  std::string workingDirectory;      // empty: the caller's
  std::chrono::milliseconds timeout{30000};
};

// Runs `arguments` (the program path first) with `options`.
ProcessResult runProcess(const std::vector<std::string>& arguments, const ProcessOptions& options);

// The lines of `text`, without line ends (a last line without one included).
std::vector<std::string> splitLines(const std::string& text);

}  // namespace tarn::test

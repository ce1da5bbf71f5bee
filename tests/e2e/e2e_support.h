// Helpers of the end-to-end tests: running the engine and private copies of it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace tarn::test {

// The engine under test.
inline std::string enginePath() { return TARN_EXECUTABLE; }

// Runs the engine with `arguments` after its path and `input` on standard input.
inline ProcessResult runEngine(const std::string& input, const std::vector<std::string>& arguments = {},
                               const std::string& executable = enginePath()) {
  std::vector<std::string> argv{executable};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ProcessOptions options;
  options.input = input;
  return runProcess(argv, options);
}

// The start-up report of the engine's book: the file beside the executable.
inline std::string bookReport(const std::string& executable = enginePath()) {
  const std::string path = std::filesystem::path(executable).parent_path().string() + "/TestBook.tcb";
  std::error_code missing;
  const auto size = std::filesystem::file_size(path, missing);
  if (missing) return "info string Error Loading Book : " + path;
  return "info string " + std::to_string(size / 10) + " opening positions loaded.";
}

// What the engine under test reports at start-up, in order.
inline std::vector<std::string> startupReports() {
  return {"info string 9 bitbases loaded.", "info string 0 neural nets loaded.", bookReport()};
}

// Runs a command-line extra: standard input stays open, since reading it would
// hang until the timeout.
inline ProcessResult runCommandLineExtra(const std::vector<std::string>& arguments,
                                         const std::string& executable = enginePath()) {
  std::vector<std::string> argv{executable};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ProcessOptions options;
  options.closeInput = false;
  options.timeout = std::chrono::seconds(60);
  return runProcess(argv, options);
}

// A fresh folder holding a copy of the engine, removed with everything in it at
// the end. The engine works in its own folder (settings files, traffic log), so
// tests that look at those files run a private copy and never race each other.
class EngineCopy {
 public:
  EngineCopy() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarn-e2e-XXXXXX").string();
    folder = mkdtemp(pattern.data()) ? pattern : std::string();
    if (!folder.empty())
      std::filesystem::copy_file(enginePath(), executable(), std::filesystem::copy_options::overwrite_existing);
  }
  ~EngineCopy() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  EngineCopy(const EngineCopy&) = delete;
  EngineCopy& operator=(const EngineCopy&) = delete;

  bool ok() const { return !folder.empty() && std::filesystem::exists(executable()); }
  std::string executable() const { return folder + "/tarnchess"; }
  std::string file(const std::string& name) const { return folder + "/" + name; }
  ProcessResult run(const std::string& input, const std::vector<std::string>& arguments = {}) const {
    return runEngine(input, arguments, executable());
  }

 private:
  std::string folder;
};

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& text);

}  // namespace tarn::test

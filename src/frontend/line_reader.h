// Reads protocol input one line at a time with a length limit.
#pragma once

#include <cstdio>
#include <string>

namespace tarn {

constexpr size_t FirstLineLimit = 2047;     // the line that chooses the mode
constexpr size_t CommandLineLimit = 8191;   // every further protocol line

class LineReader {
 public:
  explicit LineReader(std::FILE* input) : input(input) {}

  // Reads the next line into `line` without its line end (a "\r" before the
  // "\n" is dropped too). A line longer than `limit` keeps its first `limit`
  // characters; the rest of it is read and discarded. False at end of input
  // when nothing was read.
  bool readLine(std::string& line, size_t limit);

 private:
  std::FILE* input;
};

}  // namespace tarn

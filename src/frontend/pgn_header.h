// The tags of one game read from a PGN file.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Longest kept value of each text tag; a longer value is cut to fit.
constexpr size_t PgnNameLength = 127;
constexpr size_t PgnResultLength = 31;
constexpr size_t PgnTimeControlLength = 63;
constexpr size_t PgnFenLength = 255;

struct PgnHeader {
  std::string white = "X";
  std::string black = "X";
  std::string event;
  std::string result = "X";
  std::string timeControl = "X";
  std::string fen;
  bool chess960 = false;  // a Variant tag naming Chess960
  int currentPly = -1;    // the ply the game was showing when saved
  int gameNumber = -1;    // from the Round tag
  int plyCount = 0;
  bool lostOnTime = false;  // a Termination tag mentioning time

  // Takes the tag of one line ("[Name \"value\"]") when it is one this header keeps.
  void readTagLine(std::string_view line);
};

// Name and value of a tag line; false when the line is no tag. The value has its
// escapes (\" and \\) resolved.
bool splitTagLine(std::string_view line, std::string_view& name, std::string& value);

}  // namespace tarn

#include "frontend/pgn_header.h"

#include <cctype>

#include "frontend/settings.h"

namespace tarn {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (equalsIgnoringCase(text.substr(i, part.size()), part)) return true;
  return false;
}

void assignCut(std::string& field, const std::string& value, size_t limit) { field = value.substr(0, limit); }

// The integer of a numeric tag, or `fallback` when the value has no leading digits.
int numberOr(const std::string& value, int fallback) {
  size_t i = 0;
  while (i < value.size() && isBlank(value[i])) ++i;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) ++i;
  if (i >= value.size() || !std::isdigit(static_cast<unsigned char>(value[i]))) return fallback;
  return leadingInt(value);
}

}  // namespace

bool splitTagLine(std::string_view line, std::string_view& name, std::string& value) {
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '[') return false;
  ++i;
  while (i < line.size() && isBlank(line[i])) ++i;
  const size_t nameStart = i;
  while (i < line.size() && line[i] != '"' && line[i] != ']') ++i;
  size_t nameEnd = i;
  while (nameEnd > nameStart && isBlank(line[nameEnd - 1])) --nameEnd;
  if (i >= line.size() || line[i] != '"' || nameEnd == nameStart) return false;
  name = line.substr(nameStart, nameEnd - nameStart);
  value.clear();
  for (++i; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
    value += line[i];
  }
  return true;
}

void PgnHeader::readTagLine(std::string_view line) {
  std::string_view name;
  std::string value;
  if (!splitTagLine(line, name, value)) return;
  if (name == "White") assignCut(white, value, PgnNameLength);
  else if (name == "Black") assignCut(black, value, PgnNameLength);
  else if (name == "Event") assignCut(event, value, PgnNameLength);
  else if (name == "Result") assignCut(result, value, PgnResultLength);
  else if (name == "TimeControl") assignCut(timeControl, value, PgnTimeControlLength);
  else if (name == "FEN") assignCut(fen, value, PgnFenLength);
  // Other programs call the variant "Chess960"; the older name is ours.
  else if (name == "Variant") chess960 = chess960 || equalsIgnoringCase(value, "fischerandom") || equalsIgnoringCase(value, "chess960");
  else if (name == "Termination") lostOnTime = lostOnTime || containsIgnoringCase(value, "time");
  else if (name == "Round") gameNumber = numberOr(value, gameNumber);
  else if (name == "PlyCount") plyCount = numberOr(value, plyCount);
  // "Current Ply" is how our older files wrote it; other readers reject a blank in a tag name.
  else if (name == "CurrentPly" || name == "Current Ply") currentPly = numberOr(value, currentPly);
}

}  // namespace tarn

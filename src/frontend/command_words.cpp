#include "frontend/command_words.h"

namespace tarn {

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

FirstWord splitFirstWord(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && isBlank(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !isBlank(line[end])) ++end;
  size_t rest = end;
  while (rest < line.size() && isBlank(line[rest])) ++rest;
  return {line.substr(start, end - start), line.substr(rest)};
}

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  for (FirstWord w = splitFirstWord(text); !w.word.empty(); w = splitFirstWord(w.rest)) words.push_back(w.word);
  return words;
}

}  // namespace tarn

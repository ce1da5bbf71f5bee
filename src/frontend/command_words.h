// Splitting protocol lines into words.
//
// Commands are recognised by their first word, compared whole, and the rest of
// the line goes to that command's own parser. Blanks are spaces and tabs (and
// any other control whitespace a GUI may leave in).
#pragma once

#include <string_view>
#include <vector>

namespace tarn {

constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// `text` without leading and trailing blanks.
std::string_view trimBlanks(std::string_view text);

struct FirstWord {
  std::string_view word;  // empty for a blank line
  std::string_view rest;  // what follows the word, leading blanks removed
};

FirstWord splitFirstWord(std::string_view line);

// Every word of `text`; runs of blanks separate words, so there are no empty words.
std::vector<std::string_view> splitWords(std::string_view text);

}  // namespace tarn

// The piece-placement field of a FEN from a 64-square board written rank 8
// first, one character a square: a FEN piece letter or `empty`.
#pragma once

#include <string>

namespace tarn::test {

inline std::string placementField(const char* board, char empty) {
  std::string fen;
  for (int row = 0; row < 8; ++row) {
    int run = 0;
    for (int file = 0; file < 8; ++file) {
      const char c = board[row * 8 + file];
      if (c == empty) {
        ++run;
        continue;
      }
      if (run) fen += char('0' + run);
      run = 0;
      fen += c;
    }
    if (run) fen += char('0' + run);
    if (row < 7) fen += '/';
  }
  return fen;
}

}  // namespace tarn::test

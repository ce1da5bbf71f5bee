// The adaptive frequency model shared by the arithmetic decoder and the
// archive writer's encoder (Witten, Neal and Cleary, 1987).
//
// Symbols 1..256 stand for the byte values and 257 ends the data. Symbols are
// kept in decreasing order of frequency, so that cumFreq[s] is the total of the
// symbols after s and cumFreq[0] the grand total; the decoder's linear search
// then stops early on the frequent symbols. All frequencies start at 1, and all
// are halved (rounding up) when the total reaches MaxFrequency, which keeps the
// products of a 16-bit range and a frequency within 32 bits.
#pragma once

#include <cstdint>

namespace tarn {

class ArithmeticModel {
 public:
  static constexpr int ByteSymbols = 256;
  static constexpr int EndSymbol = ByteSymbols + 1;
  static constexpr int SymbolCount = ByteSymbols + 1;
  static constexpr int MaxFrequency = 16383;

  ArithmeticModel() { reset(); }

  void reset() {
    for (int i = 0; i < ByteSymbols; ++i) {
      charToIndex_[i] = uint16_t(i + 1);
      indexToChar_[i + 1] = uint8_t(i);
    }
    for (int i = 0; i <= SymbolCount; ++i) {
      freq_[i] = 1;
      cumFreq_[i] = SymbolCount - i;
    }
    freq_[0] = 0;
  }

  // Counts one more occurrence of `symbol`, moving it ahead of the symbols it now outnumbers.
  void update(int symbol) {
    if (cumFreq_[0] == MaxFrequency) {
      int cum = 0;
      for (int i = SymbolCount; i >= 0; --i) {
        freq_[i] = (freq_[i] + 1) / 2;
        cumFreq_[i] = cum;
        cum += freq_[i];
      }
    }
    int i = symbol;
    while (freq_[i] == freq_[i - 1]) --i;
    if (i < symbol) {
      const uint8_t chI = indexToChar_[i], chSymbol = indexToChar_[symbol];
      indexToChar_[i] = chSymbol;
      indexToChar_[symbol] = chI;
      charToIndex_[chI] = uint16_t(symbol);
      charToIndex_[chSymbol] = uint16_t(i);
    }
    freq_[i] += 1;
    while (i > 0) cumFreq_[--i] += 1;
  }

  int total() const { return cumFreq_[0]; }
  int cumulative(int symbol) const { return cumFreq_[symbol]; }
  int symbolOf(uint8_t byte) const { return charToIndex_[byte]; }
  uint8_t byteOf(int symbol) const { return indexToChar_[symbol]; }

 private:
  uint16_t charToIndex_[ByteSymbols];
  uint8_t indexToChar_[SymbolCount + 1];
  int freq_[SymbolCount + 1];
  int cumFreq_[SymbolCount + 1];
};

}  // namespace tarn

#include "eval/tb/syzygy_index.h"

#include <algorithm>
#include <array>

namespace tarn::syzygy {

namespace {

constexpr int fileOf(int s) { return s & 7; }
constexpr int rankOf(int s) { return s >> 3; }
constexpr bool offDiagonal(int s) { return fileOf(s) != rankOf(s); }
constexpr int reflectDiagonal(int s) { return (fileOf(s) << 3) | rankOf(s); }
constexpr int foldedFile(int s) { return std::min(fileOf(s), 7 - fileOf(s)); }

// Placements of the leading group in the two pawnless modes.
constexpr uint64_t TwoKingPlacements = 462;
constexpr uint64_t ThreePiecePlacements = 31332;

// Pawn squares: lead slot (edge files first, low ranks first) and pawn ordinal
// (edge files highest, within a file the lower rank higher, a-d side above its mirror).
constexpr int leadSlotOf(int s) { return 6 * foldedFile(s) + rankOf(s) - 1; }
constexpr int pawnOrdinalOf(int s) {
  return 36 - 12 * foldedFile(s) + 2 * (6 - rankOf(s)) + (fileOf(s) < 4 ? 1 : 0);
}

struct Tables {
  uint64_t binomial[65][8] = {};
  int8_t triangle[64] = {};     // class of the first leading piece: 0..5 off the diagonal, 6..9 on it
  int8_t below[64] = {};        // number of a square below the a1-h8 diagonal, 0..27
  int16_t kingPair[10][64] = {};
  uint64_t leadStart[7][24] = {};
  uint64_t leadCount[7][4] = {};

  constexpr Tables() {
    for (int n = 0; n <= 64; ++n) {
      binomial[n][0] = 1;
      for (int k = 1; k < 8; ++k) binomial[n][k] = n == 0 ? 0 : binomial[n - 1][k - 1] + binomial[n - 1][k];
    }
    // The triangle a1-d1-d4: b1 c1 d1 c2 d2 d3 off the diagonal, a1 b2 c3 d4 on it.
    constexpr int OffClass[4][4] = {{-1, 0, 1, 2}, {-1, -1, 3, 4}, {-1, -1, -1, 5}, {-1, -1, -1, -1}};
    for (int s = 0; s < 64; ++s) {
      int f = foldedFile(s), r = std::min(rankOf(s), 7 - rankOf(s));
      if (r > f) std::swap(f, r);
      triangle[s] = int8_t(f == r ? 6 + f : OffClass[r][f]);
    }
    int count = 0;
    for (int s = 0; s < 64; ++s)
      if (fileOf(s) > rankOf(s)) below[s] = int8_t(count++);

    // King pairs: first king off the diagonal with any second square, then on
    // the diagonal with the second king below it, then both on it.
    constexpr int FirstKing[10] = {1, 2, 3, 10, 11, 19, 0, 9, 18, 27};
    for (auto& row : kingPair)
      for (int16_t& v : row) v = -1;
    int code = 0;
    auto apart = [](int a, int b) {
      const int df = fileOf(a) - fileOf(b), dr = rankOf(a) - rankOf(b);
      return df > 1 || df < -1 || dr > 1 || dr < -1;
    };
    for (int c = 0; c < 6; ++c)
      for (int s = 0; s < 64; ++s)
        if (apart(FirstKing[c], s)) kingPair[c][s] = int16_t(code++);
    for (int c = 6; c < 10; ++c)
      for (int s = 0; s < 64; ++s)
        if (fileOf(s) > rankOf(s) && apart(FirstKing[c], s)) kingPair[c][s] = int16_t(code++);
    for (int c = 6; c < 10; ++c)
      for (int s = 0; s < 64; ++s)
        if (!offDiagonal(s) && apart(FirstKing[c], s)) kingPair[c][s] = int16_t(code++);

    for (int pawns = 1; pawns <= 6; ++pawns)
      for (int f = 0; f < 4; ++f) {
        uint64_t acc = 0;
        for (int k = 0; k < 6; ++k) {
          leadStart[pawns][6 * f + k] = acc;
          acc += binomial[pawnOrdinalOf((k + 1) * 8 + f)][pawns - 1];
        }
        leadCount[pawns][f] = acc;
      }
  }
};

constexpr Tables T{};

// Number of `squares` below s.
int countBelow(const int* squares, int count, int s) {
  int n = 0;
  for (int j = 0; j < count; ++j) n += squares[j] < s;
  return n;
}

// Code of a group of equal pieces at slots start..start+size-1: the
// combinatorial number of their squares among those the earlier slots leave.
bool groupCode(int* squares, int start, int size, uint64_t& code) {
  std::sort(squares + start, squares + start + size);
  code = 0;
  for (int i = 0; i < size; ++i) {
    const int q = squares[start + i] - countBelow(squares, start, squares[start + i]);
    if (q < 0) return false;
    code += T.binomial[q][i + 1];
  }
  return true;
}

bool pawnlessLeadCode(const IndexLayout& layout, int* s, uint64_t& code) {
  const int n = layout.men;
  if (fileOf(s[0]) >= 4)
    for (int i = 0; i < n; ++i) s[i] ^= 7;
  if (rankOf(s[0]) >= 4)
    for (int i = 0; i < n; ++i) s[i] ^= 56;
  // Reflect when the first piece off the diagonal is a leading one above it.
  for (int i = 0; i < n; ++i) {
    if (!offDiagonal(s[i])) continue;
    if (i < layout.leadSize && rankOf(s[i]) > fileOf(s[i]))
      for (int j = 0; j < n; ++j) s[j] = reflectDiagonal(s[j]);
    break;
  }

  if (layout.leadSize == 2) {
    const int v = T.kingPair[T.triangle[s[0]]][s[1]];
    if (v < 0) return false;
    code = uint64_t(v);
    return true;
  }
  const int s0 = s[0], s1 = s[1], s2 = s[2];
  if (s0 == s1 || s0 == s2 || s1 == s2) return false;
  const int dia0 = rankOf(s0), dia1 = rankOf(s1);
  if (offDiagonal(s0)) {
    const int t1 = s1 - (s1 > s0);
    const int t2 = s2 - (s2 > s0) - (s2 > s1);
    code = uint64_t(T.triangle[s0]) * 3906 + uint64_t(t1) * 62 + uint64_t(t2);
  } else if (offDiagonal(s1)) {
    const int t2 = s2 - (s2 > s0) - (s2 > s1);
    code = 23436 + uint64_t(dia0) * 1736 + uint64_t(T.below[s1]) * 62 + uint64_t(t2);
  } else if (offDiagonal(s2)) {
    code = 30380 + uint64_t(dia0) * 196 + uint64_t(dia1 - (s1 > s0)) * 28 + uint64_t(T.below[s2]);
  } else {
    code = 31164 + uint64_t(dia0) * 42 + uint64_t(dia1 - (s1 > s0)) * 6 +
           uint64_t(rankOf(s2) - (s2 > s0) - (s2 > s1));
  }
  return code < ThreePiecePlacements;
}

bool pawnLeadCode(const IndexLayout& layout, int* s, uint64_t& code) {
  const int n = layout.men, lead = layout.leadSize;
  if (rankOf(s[0]) < 1 || rankOf(s[0]) > 6) return false;
  if (fileOf(s[0]) >= 4)
    for (int i = 0; i < n; ++i) s[i] ^= 7;
  std::sort(s + 1, s + lead, [](int a, int b) { return pawnOrdinalOf(a) > pawnOrdinalOf(b); });
  code = T.leadStart[lead][leadSlotOf(s[0])];
  for (int i = 1; i < lead; ++i) {
    if (rankOf(s[i]) < 1 || rankOf(s[i]) > 6) return false;
    code += T.binomial[pawnOrdinalOf(s[i])][lead - i];
  }
  return true;
}

bool otherPawnsCode(const IndexLayout& layout, int* s, uint64_t& code) {
  const int lead = layout.leadSize, other = layout.otherPawns;
  std::sort(s + lead, s + lead + other);
  code = 0;
  for (int i = 0; i < other; ++i) {
    const int q = s[lead + i] - 8 - countBelow(s, lead, s[lead + i]);
    if (q < 0 || q >= 48) return false;
    code += T.binomial[q][i + 1];
  }
  return true;
}

}  // namespace

uint64_t binomial(int n, int k) { return n < 0 || n > 64 || k < 0 || k > 7 ? 0 : T.binomial[n][k]; }
int leadCount(int pawns, int fileClass) { return int(T.leadCount[pawns][fileClass]); }
int leadStart(int pawns, int leadSlot) { return int(T.leadStart[pawns][leadSlot]); }
int kingPairCode(int triangleClass, int secondKing) { return T.kingPair[triangleClass][secondKing]; }

bool buildIndexLayout(IndexLayout& layout, const uint8_t* pieceCodes, int order, int order2) {
  const int first = layout.leadSize + layout.otherPawns;
  layout.groupCount = 0;
  for (int i = first; i < layout.men;) {
    int j = i + 1;
    while (j < layout.men && pieceCodes[j] == pieceCodes[i]) ++j;
    layout.groupStart[layout.groupCount] = uint8_t(i);
    layout.groupSize[layout.groupCount] = uint8_t(j - i);
    ++layout.groupCount;
    i = j;
  }

  const uint64_t leadPlacements = layout.pawns            ? T.leadCount[layout.leadSize][layout.fileClass]
                                  : layout.leadSize == 2 ? TwoKingPlacements
                                                         : ThreePiecePlacements;
  bool leadDone = false, otherDone = layout.otherPawns == 0;
  int free = 64 - first;
  uint64_t factor = 1;
  int r = 0;
  for (int step = 0; r < layout.groupCount || step == order || step == order2; ++step) {
    if (step == order) {
      layout.leadFactor = factor;
      factor *= leadPlacements;
      leadDone = true;
    } else if (step == order2) {
      if (layout.otherPawns == 0) return false;
      layout.otherFactor = factor;
      factor *= T.binomial[48 - layout.leadSize][layout.otherPawns];
      otherDone = true;
    } else {
      layout.groupFactor[r] = factor;
      factor *= T.binomial[free][layout.groupSize[r]];
      free -= layout.groupSize[r];
      ++r;
    }
  }
  layout.size = factor;
  return leadDone && otherDone && factor > 0;
}

int chooseLeadingPawn(int* squares, int count) {
  int best = 0;
  for (int i = 0; i < count; ++i) {
    if (rankOf(squares[i]) < 1 || rankOf(squares[i]) > 6) return -1;
    const int slot = leadSlotOf(squares[i]), bestSlot = leadSlotOf(squares[best]);
    if (slot < bestSlot || (slot == bestSlot && squares[i] < squares[best])) best = i;
  }
  std::swap(squares[0], squares[best]);
  return foldedFile(squares[0]);
}

bool computeIndex(const IndexLayout& layout, int* squares, uint64_t& index) {
  for (int i = 0; i < layout.men; ++i)
    if (squares[i] < 0 || squares[i] > 63) return false;
  uint64_t code = 0;
  if (layout.pawns) {
    if (!pawnLeadCode(layout, squares, code)) return false;
  } else if (!pawnlessLeadCode(layout, squares, code)) {
    return false;
  }
  index = code * layout.leadFactor;
  if (layout.otherPawns) {
    if (!otherPawnsCode(layout, squares, code)) return false;
    index += code * layout.otherFactor;
  }
  for (int g = 0; g < layout.groupCount; ++g) {
    if (!groupCode(squares, layout.groupStart[g], layout.groupSize[g], code)) return false;
    index += code * layout.groupFactor[g];
  }
  return index < layout.size;
}

}  // namespace tarn::syzygy

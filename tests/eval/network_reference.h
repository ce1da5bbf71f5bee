// A plain reference of the networks, written from their definitions and sharing
// nothing with the engine's code but the parameter array it reads: its own
// shapes, parameter starts, feature formulas, and dense layers in int64.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "board/attacks.h"
#include "board/position.h"

namespace tarn::nn::test {

enum class RefKind { General, TwoView, PawnStructure };

struct RefLayer {
  int inputs, outputs;
  bool linear;
};

struct RefNetwork {
  RefKind kind;
  int a, b, c;  // piece types with their own inputs, 6 = none
  int own, other;
  int width;  // input-layer outputs per view
  std::vector<RefLayer> layers;
};

// The fourteen networks in file order.
inline RefNetwork refNetwork(int k) {
  constexpr int None = 6;
  const auto twoView = [](int a, int b, int c, int own, int other, int width) {
    return RefNetwork{RefKind::TwoView,
                      a,
                      b,
                      c,
                      own,
                      other,
                      width,
                      {{own + other + 1, width, false}, {width, 16, false}, {32, 16, false}, {16, 1, true}}};
  };
  switch (k) {
    case 0:
      return twoView(None, None, None, 80, 112, 256);
    case 1:
      return twoView(Rook, None, None, 144, 176, 256);
    case 2:
    case 3:
      return twoView(Bishop, None, None, 144, 176, 256);
    case 4:
      return twoView(Queen, None, None, 144, 176, 256);
    case 5:
      return twoView(Knight, None, None, 144, 176, 256);
    case 6:
      return twoView(Bishop, Knight, None, 208, 240, 256);
    case 7:
      return twoView(Rook, Bishop, None, 208, 240, 256);
    case 8:
      return twoView(Rook, Knight, None, 208, 240, 256);
    case 9:
      return twoView(Queen, Rook, None, 208, 240, 256);
    case 10:
      return twoView(Queen, Rook, Bishop, 336, 368, 256);
    case 11:
      return twoView(Rook, Bishop, Knight, 272, 304, 288);
    case 12:
      return RefNetwork{RefKind::General,
                        None,
                        None,
                        None,
                        336,
                        368,
                        640,
                        {{705, 640, false}, {320, 16, true}, {320, 16, true}, {32, 16, false}, {16, 1, true}}};
    default:
      return RefNetwork{RefKind::PawnStructure, None, None, None, 80, 112, 256, {{212, 256, false}, {256, 16, true}}};
  }
}

// First parameter of each layer: blocks follow each other, each rounded up to 16 entries.
inline std::vector<int64_t> refStarts(const RefNetwork& net) {
  std::vector<int64_t> starts;
  int64_t start = 0;
  for (const RefLayer& l : net.layers) {
    starts.push_back(start);
    start = (start + int64_t(l.outputs) * (l.inputs + 1) + 15) / 16 * 16;
  }
  return starts;
}

inline int refKingFold(int s) { return (s / 8) * 4 + std::min(s % 8, 7 - s % 8); }

// Active inputs of one view.
inline std::vector<int> refFeatures(const RefNetwork& net, const Position& pos, int view) {
  std::vector<int> active;
  if (net.kind == RefKind::General) {
    const bool mirror = pos.kingSquare[White] % 8 >= 4;
    for (int s = 0; s < 64; ++s) {
      const int code = pos.board[s];
      if (code == Empty) continue;
      const int type = code & 7, colour = code >> 3;
      int sq = mirror ? s ^ 7 : s;
      int base = 0;
      if (colour == Black) sq ^= 56, base = 336;
      const int offsets[6] = {248, 0, 64, 128, 192, 304};
      int index = base + offsets[type] + sq;
      if (type == King && colour == White) index = base + 304 + refKingFold(sq);
      active.push_back(index);
    }
    if (pos.sideToMove == Black) active.push_back(704);
    return active;
  }
  const bool mirror = pos.kingSquare[view] % 8 >= 4;
  for (int s = 0; s < 64; ++s) {
    const int code = pos.board[s];
    if (code == Empty) continue;
    const int type = code & 7, colour = code >> 3;
    int sq = colour == Black ? s ^ 56 : s;
    if (mirror) sq ^= 7;
    const bool own = colour == view;
    int index = -1;
    if (type == Pawn)
      index = sq - 8;
    else if (type == King)
      index = own ? 48 + refKingFold(sq) : 48 + sq;
    else if (type == net.a)
      index = (own ? 80 : 112) + sq;
    else if (type == net.b)
      index = (own ? 144 : 176) + sq;
    else if (type == net.c)
      index = (own ? 208 : 240) + sq;
    else
      index = (own ? 272 : 304) + sq;
    // A piece the network has no inputs for is left out.
    if (index >= (own ? net.own : net.other)) continue;
    active.push_back(own ? index : net.own + index);
  }
  if (net.kind == RefKind::TwoView) {
    if (int(pos.sideToMove) == view) active.push_back(net.own + net.other);
    return active;
  }
  for (int colour = 0; colour < 2; ++colour) {
    const Color c = Color(colour);
    const bool flags[10] = {
        (pos.castlingRights & (c == White ? 1 : 4)) != 0,
        (pos.castlingRights & (c == White ? 2 : 8)) != 0,
        popCount(pos.pieces(c, Knight)) >= 1,
        popCount(pos.pieces(c, Knight)) >= 2,
        popCount(pos.pieces(c, Rook)) >= 1,
        popCount(pos.pieces(c, Rook)) >= 2,
        popCount(pos.pieces(c, Queen)) >= 1,
        popCount(pos.pieces(c, Queen)) >= 2,
        (pos.pieces(c, Bishop) & ~DarkSquares) != 0,
        (pos.pieces(c, Bishop) & DarkSquares) != 0,
    };
    for (int i = 0; i < 10; ++i) {
      if (!flags[i]) continue;
      const int k = 10 * colour + i;
      active.push_back(view == 0 ? 192 + k : (k >= 10 ? 192 + k - 10 : 202 + k));
    }
  }
  return active;
}

// Input-layer outputs of one view, summed in int64 and cut to 16 bits.
inline std::vector<int16_t> refView(const RefNetwork& net, const int16_t* params, const Position& pos, int view) {
  const RefLayer& l = net.layers[0];
  std::vector<int16_t> out(l.outputs);
  const std::vector<int> active = refFeatures(net, pos, view);
  for (int j = 0; j < l.outputs; ++j) {
    int64_t sum = params[int64_t(l.inputs) * l.outputs + j];
    for (int i : active) sum += params[int64_t(i) * l.outputs + j];
    out[j] = int16_t(uint16_t(uint64_t(sum)));
  }
  return out;
}

inline std::vector<int16_t> refDense(const RefNetwork& net, const int16_t* params, int layer,
                                     const std::vector<int16_t>& x) {
  const RefLayer& l = net.layers[layer];
  const int16_t* block = params + refStarts(net)[layer];
  std::vector<int16_t> y(l.outputs);
  for (int j = 0; j < l.outputs; ++j) {
    int64_t sum = int64_t(block[int64_t(l.inputs) * l.outputs + j]) * 512;
    for (int i = 0; i < l.inputs; ++i) sum += int64_t(block[int64_t(j) * l.inputs + i]) * x[i];
    const int32_t sum32 = int32_t(uint32_t(uint64_t(sum)));  // the sum is kept in 32 bits
    const int32_t shifted = sum32 >> 9;
    if (l.linear && l.outputs == 1) {
      y[j] = int16_t(uint16_t(uint32_t(shifted)));
      continue;
    }
    int32_t v = std::clamp(shifted, -32768, 32767);
    if (!l.linear) v = std::max(v, 0);
    y[j] = int16_t(v);
  }
  return y;
}

inline std::vector<int16_t> refClamp(std::vector<int16_t> v) {
  for (int16_t& x : v) x = std::max<int16_t>(x, 0);
  return v;
}

// The 14 + 14 pawn-structure values of a position.
inline std::vector<int16_t> refPawnStructure(const int16_t* params, const Position& pos) {
  const RefNetwork net = refNetwork(13);
  std::vector<int16_t> result;
  for (int v = 0; v < 2; ++v) {
    const std::vector<int16_t> h = refDense(net, params, 1, refClamp(refView(net, params, pos, v)));
    result.insert(result.end(), h.begin(), h.begin() + 14);
  }
  return result;
}

// Raw output of list network k; `pawn` (28 values) only for the general network.
inline int refOutput(int k, const int16_t* params, const Position& pos, const std::vector<int16_t>& pawn) {
  const RefNetwork net = refNetwork(k);
  if (net.kind == RefKind::TwoView) {
    std::vector<int16_t> hidden;
    for (int v = 0; v < 2; ++v) {
      const std::vector<int16_t> h = refDense(net, params, 1, refClamp(refView(net, params, pos, v)));
      hidden.insert(hidden.end(), h.begin(), h.end());
    }
    return refDense(net, params, 3, refDense(net, params, 2, hidden))[0];
  }
  const std::vector<int16_t> acc = refClamp(refView(net, params, pos, 0));
  std::vector<int16_t> h1 = refDense(net, params, 1, std::vector<int16_t>(acc.begin(), acc.begin() + 320));
  std::vector<int16_t> h2 = refDense(net, params, 2, std::vector<int16_t>(acc.begin() + 320, acc.end()));
  for (int i = 0; i < 14; ++i) {
    h1[i] = int16_t(uint16_t(h1[i] + pawn[i]));
    h2[i] = int16_t(uint16_t(h2[i] + pawn[14 + i]));
  }
  h1.insert(h1.end(), h2.begin(), h2.end());
  return refDense(net, params, 4, refDense(net, params, 3, refClamp(h1)))[0];
}

}  // namespace tarn::nn::test

#include "bitbases/endgame_solver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "board/attacks.h"

namespace tarn::bitbase_gen {

namespace {

constexpr uint64_t All = ~uint64_t(0);
constexpr int PromotionTypes[4] = {Queen, Rook, Bishop, Knight};

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "generate_bitbases: %s %s\n", what, detail.c_str());
  std::exit(1);
}

// Squares from which a king reaches some square of b in one step.
uint64_t kingDilate(uint64_t b) {
  const uint64_t sideways = ((b << 1) & ~FileABB) | ((b >> 1) & ~FileHBB);
  const uint64_t row = b | sideways;
  return sideways | (row << 8) | (row >> 8);
}

Bitboard manAttacks(const Man& m, Bitboard occupied) {
  if (m.type == Pawn) return pawnAttacks(Color(m.colour), m.square);
  return attacksOf(m.type, m.square, occupied);
}

bool isSlider(int type) { return type == Bishop || type == Rook || type == Queen; }

// White king squares for which White attacks `target`: next to it, or any
// square when a pawn or knight attacks it, or off the line when a slider does.
uint64_t whiteAttackMask(const Setup& s, int target) {
  const Bitboard occupied = s.occupied();
  uint64_t mask = kingAttacks(target);
  for (int i = 0; i < s.count; ++i) {
    const Man& m = s.men[i];
    if (m.colour != White || !(manAttacks(m, occupied) & bit(target))) continue;
    mask |= isSlider(m.type) ? ~between(m.square, target) : All;
  }
  return mask;
}

Bitboard blackAttacks(const Setup& s) {
  const Bitboard occupied = s.occupied();
  Bitboard attacked = 0;
  for (int i = 0; i < s.count; ++i)
    if (s.men[i].colour == Black) attacked |= manAttacks(s.men[i], occupied);
  return attacked;
}

bool wellFormed(const Setup& s) {
  if (popCount(s.occupied()) != s.count) return false;
  int blackKings = 0;
  for (int i = 0; i < s.count; ++i) {
    const Man& m = s.men[i];
    if (m.type == King) blackKings += m.colour == Black ? 1 : 100;
    if (m.type == Pawn && (rowOf(m.square) == 0 || rowOf(m.square) == 7)) return false;
  }
  return blackKings == 1;
}

int manAt(const Setup& s, int square) {
  for (int i = 0; i < s.count; ++i)
    if (s.men[i].square == square) return i;
  return -1;
}

// Moves man i to `to`, capturing what stands there; `type` changes on promotion.
Setup moved(const Setup& s, int i, int to, int type) {
  Setup t = s;
  t.men[i].square = uint8_t(to);
  t.men[i].type = uint8_t(type);
  for (int j = 0; j < t.count; ++j)
    if (j != i && t.men[j].square == to) {
      t.removeAt(j);
      break;
    }
  return t;
}

// Every move of `side` except the white king's, with the white king squares
// that leave the move possible (not standing on its path or target square).
// f(target, path, epSquare, leavesSlice): epSquare is the square an opponent
// pawn may take en passant after a double push, else -1; leavesSlice is true
// for captures and pawn moves.
template <class F>
void forEachMove(const Setup& s, Color side, F&& f) {
  const Bitboard occupied = s.occupied(), own = s.ofColour(side), enemy = s.ofColour(~side);
  const Bitboard enemyKing = side == White ? bit(s.blackKing()) : 0;
  for (int i = 0; i < s.count; ++i) {
    const Man m = s.men[i];
    if (m.colour != side) continue;
    if (m.type == Pawn) {
      const int forward = side == White ? -8 : 8;
      const int lastRow = side == White ? 0 : 7, startRow = side == White ? 6 : 1;
      auto emit = [&](int to, uint64_t path, int ep) {
        if (rowOf(to) == lastRow)
          for (const int promo : PromotionTypes) f(moved(s, i, to, promo), path, -1, true);
        else
          f(moved(s, i, to, Pawn), path, ep, true);
      };
      const int one = m.square + forward;
      if (!(occupied & bit(one))) {
        emit(one, ~bit(one), -1);
        const int two = one + forward;
        if (rowOf(m.square) == startRow && !(occupied & bit(two))) {
          Bitboard takers = 0;
          for (int j = 0; j < s.count; ++j)
            if (s.men[j].colour != side && s.men[j].type == Pawn) takers |= bit(s.men[j].square);
          const bool ep = (pawnAttacks(side, one) & takers) != 0;
          emit(two, ~bit(one) & ~bit(two), ep ? one : -1);
        }
      }
      Bitboard captures = pawnAttacks(side, m.square) & enemy & ~enemyKing;
      while (captures) emit(popLowest(captures), All, -1);
      continue;
    }
    Bitboard targets = (m.type == King ? kingAttacks(m.square) : attacksOf(m.type, m.square, occupied)) & ~own & ~enemyKing;
    while (targets) {
      const int to = popLowest(targets);
      const uint64_t path = isSlider(m.type) ? ~between(m.square, to) & ~bit(to) : ~bit(to);
      f(moved(s, i, to, m.type), path, -1, (enemy & bit(to)) != 0);
    }
  }
}

uint64_t pawnKeyOf(const Setup& s) {
  uint8_t white[2], black[2];
  int nw = 0, nb = 0;
  for (int i = 0; i < s.count; ++i) {
    const Man& m = s.men[i];
    if (m.type != Pawn) continue;
    if (m.colour == White && nw < 2) white[nw++] = m.square;
    if (m.colour == Black && nb < 2) black[nb++] = m.square;
  }
  if (nw == 2 && white[0] > white[1]) std::swap(white[0], white[1]);
  if (nb == 2 && black[0] > black[1]) std::swap(black[0], black[1]);
  uint64_t key = 0;
  for (int i = 0; i < nw; ++i) key = key * 64 + white[i];
  key = key * 64 + 63;  // the colour boundary
  for (int i = 0; i < nb; ++i) key = key * 64 + black[i];
  return key;
}

// Pawns advance in one direction only: a pawn move always raises this.
int progress(const Setup& s) {
  int p = 0;
  for (int i = 0; i < s.count; ++i) {
    const Man& m = s.men[i];
    if (m.type == Pawn) p += m.colour == White ? 6 - rowOf(m.square) : rowOf(m.square) - 1;
  }
  return p;
}

}  // namespace

Bitboard Setup::occupied() const {
  Bitboard b = 0;
  for (int i = 0; i < count; ++i) b |= bit(men[i].square);
  return b;
}

Bitboard Setup::ofColour(Color c) const {
  Bitboard b = 0;
  for (int i = 0; i < count; ++i)
    if (men[i].colour == c) b |= bit(men[i].square);
  return b;
}

int Setup::blackKing() const {
  for (int i = 0; i < count; ++i)
    if (men[i].colour == Black && men[i].type == King) return men[i].square;
  return 0;
}

std::string Setup::materialName() const {
  std::string side[2];
  for (const int type : {Queen, Rook, Bishop, Knight, Pawn})
    for (int i = 0; i < count; ++i)
      if (men[i].type == type) side[men[i].colour] += "PNBRQK"[type];
  return "K" + side[White] + "vK" + side[Black];
}

bool inBlockedFamily(const Setup& s) {
  if (s.count + 1 < 5) return true;
  for (int i = 0; i < s.count; ++i) {
    const Man& m = s.men[i];
    if (m.colour != Black || m.type != Pawn || rowOf(m.square) > 5) continue;
    const int below = manAt(s, m.square + 8);
    if (below >= 0 && s.men[below].colour == White && s.men[below].type == Pawn) return true;
  }
  return false;
}

uint64_t legalWhiteToMove(const Setup& s) {
  if (!wellFormed(s)) return 0;
  return ~s.occupied() & ~whiteAttackMask(s, s.blackKing());
}

uint64_t legalBlackToMove(const Setup& s) {
  if (!wellFormed(s)) return 0;
  return ~s.occupied() & ~blackAttacks(s);
}

// One ending. Movers are the men other than pawns and the white king, in slot
// order: the black king, White's pieces, Black's pieces. A configuration
// numbers their squares, 6 bits per slot; each slice keeps two masks per
// configuration, White to move and Black to move.
struct EndgameSolver::Table {
  std::string name;
  Setup example;
  std::vector<Man> slots;
  size_t configs = 0;
  bool whiteBare = false;
  bool solving = false, done = false;
  std::vector<Setup> slicePawns;  // the pawns of each slice
  std::unordered_map<uint64_t, int> sliceOf;
  std::vector<uint8_t> sliceSolved;
  std::vector<uint64_t> ww, wb;

  size_t configOf(const Setup& s) const {
    size_t config = 0, weight = 1;
    uint32_t used = 0;
    for (const Man& slot : slots) {
      int found = -1;
      for (int i = 0; i < s.count; ++i)
        if (!(used >> i & 1) && s.men[i].colour == slot.colour && s.men[i].type == slot.type) {
          found = i;
          break;
        }
      if (found < 0) fail("no man for a slot of", name);
      used |= 1u << found;
      config += weight * s.men[found].square;
      weight *= 64;
    }
    return config;
  }

  Setup setupOf(int slice, size_t config) const {
    Setup s = slicePawns[size_t(slice)];
    for (const Man& slot : slots) {
      s.add(Color(slot.colour), slot.type, int(config & 63));
      config >>= 6;
    }
    return s;
  }
};

EndgameSolver::EndgameSolver() = default;
EndgameSolver::~EndgameSolver() = default;

EndgameSolver::Table& EndgameSolver::table(const Setup& s) {
  const std::string name = s.materialName();
  auto it = tables_.find(name);
  if (it != tables_.end()) return *it->second;

  auto t = std::make_unique<Table>();
  t->name = name;
  t->example = s;
  t->slots.push_back(Man{Black, King, 0});
  for (const Color c : {White, Black})
    for (const int type : {Queen, Rook, Bishop, Knight})
      for (int i = 0; i < s.count; ++i)
        if (s.men[i].colour == c && s.men[i].type == type) t->slots.push_back(Man{uint8_t(c), uint8_t(type), 0});
  t->configs = size_t(1) << (6 * t->slots.size());
  t->whiteBare = s.ofColour(White) == 0;
  Table& result = *t;
  tables_.emplace(name, std::move(t));
  if (!result.whiteBare) solve(result);
  return result;
}

void EndgameSolver::solve(Table& t) {
  t.solving = true;
  int whitePawns = 0, blackPawns = 0;
  for (int i = 0; i < t.example.count; ++i)
    if (t.example.men[i].type == Pawn) ++(t.example.men[i].colour == White ? whitePawns : blackPawns);

  // Every placement of the pawns on rows 1..6, pawns of one colour in increasing order.
  std::vector<std::vector<int>> whiteSets, blackSets;
  auto sets = [](int count, std::vector<std::vector<int>>& out) {
    if (count == 0) out.push_back({});
    for (int a = 8; a < 56 && count >= 1; ++a) {
      if (count == 1) out.push_back({a});
      for (int b = a + 1; b < 56 && count == 2; ++b) out.push_back({a, b});
    }
  };
  sets(whitePawns, whiteSets);
  sets(blackPawns, blackSets);
  std::vector<Setup> slices;
  for (const auto& w : whiteSets)
    for (const auto& b : blackSets) {
      Setup pawnsOnly;
      for (const int sq : w) pawnsOnly.add(White, Pawn, sq);
      bool overlap = false;
      for (const int sq : b) {
        overlap |= (pawnsOnly.occupied() & bit(sq)) != 0;
        pawnsOnly.add(Black, Pawn, sq);
      }
      if (overlap) continue;
      // The family test counts every man: the movers stand in for themselves.
      Setup counted = pawnsOnly;
      for (const Man& slot : t.slots) counted.men[counted.count++] = Man{slot.colour, slot.type, 64};
      if (inBlockedFamily(counted)) slices.push_back(pawnsOnly);
    }
  std::stable_sort(slices.begin(), slices.end(), [](const Setup& a, const Setup& b) { return progress(a) > progress(b); });

  t.slicePawns = slices;
  for (size_t i = 0; i < slices.size(); ++i) t.sliceOf.emplace(pawnKeyOf(slices[i]), int(i));
  t.sliceSolved.assign(slices.size(), 0);
  t.ww.assign(slices.size() * t.configs, 0);
  t.wb.assign(slices.size() * t.configs, 0);
  for (size_t i = 0; i < slices.size(); ++i) solveSlice(t, int(i));
  t.solving = false;
  t.done = true;
}

uint64_t EndgameSolver::whiteWins(const Setup& s, Color side) {
  Table& t = table(s);
  if (t.whiteBare) return 0;
  const auto it = t.sliceOf.find(pawnKeyOf(s));
  if (it == t.sliceOf.end()) fail("pawns outside the solved family in", t.name);
  if (!t.sliceSolved[size_t(it->second)]) fail("a slice was needed before it was solved in", t.name);
  const size_t at = size_t(it->second) * t.configs + t.configOf(s);
  return side == White ? t.ww[at] : t.wb[at];
}

uint64_t EndgameSolver::whiteWinsWithEnPassant(const Setup& s, Color side, int epSquare) {
  return side == White ? whiteToMove(s, epSquare) : blackToMove(s, epSquare);
}

uint64_t EndgameSolver::whiteToMove(const Setup& s, int epSquare) {
  const uint64_t legal = legalWhiteToMove(s);
  if (!legal) return 0;
  uint64_t wins = kingDilate(whiteWins(s, Black));
  for (int i = 0; i < s.count; ++i) {
    const Man& m = s.men[i];
    if (m.colour != Black || m.type == King) continue;
    Setup rest = s;
    rest.removeAt(i);
    if (whiteWins(rest, Black) >> m.square & 1) wins |= kingAttacks(m.square);
  }
  forEachMove(s, White, [&](const Setup& target, uint64_t path, int ep, bool) {
    wins |= path & (ep >= 0 ? blackToMove(target, ep) : whiteWins(target, Black));
  });
  if (epSquare >= 0) {
    // Black has just pushed past epSquare: White may also take en passant.
    for (int i = 0; i < s.count; ++i) {
      const Man& m = s.men[i];
      if (m.colour != White || m.type != Pawn || !(pawnAttacks(White, m.square) & bit(epSquare))) continue;
      Setup t = moved(s, i, epSquare, Pawn);
      t.removeAt(manAt(t, epSquare + 8));
      wins |= ~bit(epSquare) & whiteWins(t, Black);
    }
  }
  return legal & wins;
}

uint64_t EndgameSolver::blackToMove(const Setup& s, int epSquare) {
  const uint64_t legal = legalBlackToMove(s);
  if (!legal) return 0;
  uint64_t all = All, hasMove = 0;
  auto consider = [&](uint64_t path, uint64_t valid, uint64_t wins) {
    all &= ~path | ~valid | wins;
    hasMove |= path & valid;
  };
  forEachMove(s, Black, [&](const Setup& t, uint64_t path, int ep, bool) {
    consider(path, legalWhiteToMove(t), ep >= 0 ? whiteToMove(t, ep) : whiteWins(t, White));
  });
  if (epSquare >= 0) {
    // White has just pushed past epSquare: Black may also take en passant.
    for (int i = 0; i < s.count; ++i) {
      const Man& m = s.men[i];
      if (m.colour != Black || m.type != Pawn || !(pawnAttacks(Black, m.square) & bit(epSquare))) continue;
      Setup t = moved(s, i, epSquare, Pawn);
      t.removeAt(manAt(t, epSquare - 8));
      consider(~bit(epSquare), legalWhiteToMove(t), whiteWins(t, White));
    }
  }
  return legal & all & (hasMove | whiteAttackMask(s, s.blackKing()));
}

void EndgameSolver::solveSlice(Table& t, int slice) {
  const size_t n = t.configs;
  const size_t base = size_t(slice) * n;
  const int slotCount = int(t.slots.size());
  std::vector<uint64_t> validW(n), validB(n), inCheck(n), exitW(n), exitB(n), exitMoves(n);
  std::vector<uint8_t> live(n);

  for (size_t c = 0; c < n; ++c) {
    const Setup s = t.setupOf(slice, c);
    if (!wellFormed(s)) continue;
    validW[c] = legalWhiteToMove(s);
    validB[c] = legalBlackToMove(s);
    if (!validW[c] && !validB[c]) continue;
    live[c] = 1;
    inCheck[c] = whiteAttackMask(s, s.blackKing());
    // Captures and pawn moves leave the slice; their results are final already.
    uint64_t winW = 0;
    for (int i = 0; i < s.count; ++i) {
      const Man& m = s.men[i];
      if (m.colour != Black || m.type == King) continue;
      Setup rest = s;
      rest.removeAt(i);
      if (whiteWins(rest, Black) >> m.square & 1) winW |= kingAttacks(m.square);
    }
    forEachMove(s, White, [&](const Setup& target, uint64_t path, int ep, bool leaves) {
      if (!leaves) return;
      winW |= path & (ep >= 0 ? blackToMove(target, ep) : whiteWins(target, Black));
    });
    uint64_t all = All, moves = 0;
    forEachMove(s, Black, [&](const Setup& target, uint64_t path, int ep, bool leaves) {
      if (!leaves) return;
      const uint64_t valid = legalWhiteToMove(target);
      const uint64_t wins = ep >= 0 ? whiteToMove(target, ep) : whiteWins(target, White);
      all &= ~path | ~valid | wins;
      moves |= path & valid;
    });
    exitW[c] = winW;
    exitB[c] = all;
    exitMoves[c] = moves;
  }

  uint64_t* ww = t.ww.data() + base;
  uint64_t* wb = t.wb.data() + base;
  size_t weight[4] = {1, 64, 4096, 262144};
  const Bitboard pawns = t.slicePawns[size_t(slice)].occupied();
  for (bool changed = true; changed;) {
    changed = false;
    for (size_t c = 0; c < n; ++c) {
      if (!live[c]) continue;
      int sq[4];
      Bitboard occupied = pawns;
      for (int k = 0; k < slotCount; ++k) {
        sq[k] = int(c >> (6 * k) & 63);
        occupied |= bit(sq[k]);
      }
      // Black to move.
      uint64_t all = exitB[c], moves = exitMoves[c];
      for (int k = 0; k < slotCount; ++k) {
        const Man& slot = t.slots[size_t(k)];
        if (slot.colour != Black) continue;
        const int from = sq[k];
        Bitboard targets = (slot.type == King ? kingAttacks(from) : attacksOf(slot.type, from, occupied)) & ~occupied;
        while (targets) {
          const int to = popLowest(targets);
          const size_t c2 = c + (size_t(to) - size_t(from)) * weight[k];
          const uint64_t path = isSlider(slot.type) ? ~between(from, to) & ~bit(to) : ~bit(to);
          all &= ~path | ~validW[c2] | ww[c2];
          moves |= path & validW[c2];
        }
      }
      const uint64_t nb = validB[c] & all & (moves | inCheck[c]);
      if (nb != wb[c]) wb[c] = nb, changed = true;
      // White to move.
      uint64_t wins = exitW[c] | kingDilate(wb[c]);
      for (int k = 0; k < slotCount; ++k) {
        const Man& slot = t.slots[size_t(k)];
        if (slot.colour != White) continue;
        const int from = sq[k];
        Bitboard targets = attacksOf(slot.type, from, occupied) & ~occupied;
        while (targets) {
          const int to = popLowest(targets);
          const size_t c2 = c + (size_t(to) - size_t(from)) * weight[k];
          const uint64_t path = isSlider(slot.type) ? ~between(from, to) & ~bit(to) : ~bit(to);
          wins |= path & wb[c2];
        }
      }
      const uint64_t nw = validW[c] & wins;
      if (nw != ww[c]) ww[c] = nw, changed = true;
    }
  }
  t.sliceSolved[size_t(slice)] = 1;
}

uint64_t EndgameSolver::verifySolved() {
  uint64_t wrong = 0;
  for (auto& [name, tp] : tables_) {
    Table& t = *tp;
    if (t.whiteBare) continue;
    for (size_t slice = 0; slice < t.slicePawns.size(); ++slice)
      for (size_t c = 0; c < t.configs; ++c) {
        const Setup s = t.setupOf(int(slice), c);
        const size_t at = slice * t.configs + c;
        if (!wellFormed(s)) {
          wrong += (t.ww[at] != 0) + (t.wb[at] != 0);
          continue;
        }
        const uint64_t wins = whiteToMove(s, -1), black = blackToMove(s, -1);
        if (wins != t.ww[at] || black != t.wb[at]) {
          if (wrong < 5) std::fprintf(stderr, "inconsistent: %s slice %zu config %zu\n", name.c_str(), slice, c);
          ++wrong;
        }
      }
  }
  return wrong;
}

std::vector<std::string> EndgameSolver::report() const {
  std::vector<std::string> lines;
  for (const auto& [name, t] : tables_) {
    size_t wins = 0;
    for (const uint64_t m : t->ww) wins += size_t(popCount(m));
    for (const uint64_t m : t->wb) wins += size_t(popCount(m));
    lines.push_back(name + ": " + std::to_string(t->slicePawns.size()) + " slices, " + std::to_string(wins) +
                    " won positions");
  }
  return lines;
}

void EndgameSolver::forEachSolved(
    int maxMen,
    const std::function<void(const std::string&, const Setup&, Color, uint64_t, uint64_t)>& f) const {
  for (const auto& [name, tp] : tables_) {
    const Table& t = *tp;
    if (t.whiteBare || t.example.count + 1 > maxMen) continue;
    for (size_t slice = 0; slice < t.slicePawns.size(); ++slice)
      for (size_t c = 0; c < t.configs; ++c) {
        const Setup s = t.setupOf(int(slice), c);
        if (!wellFormed(s)) continue;
        const size_t at = slice * t.configs + c;
        if (const uint64_t legal = legalWhiteToMove(s)) f(name, s, White, legal, t.ww[at]);
        if (const uint64_t legal = legalBlackToMove(s)) f(name, s, Black, legal, t.wb[at]);
      }
  }
}

}  // namespace tarn::bitbase_gen

#include "search/transposition_table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "board/notation.h"
#include "platform/large_memory.h"

namespace tarn {

namespace {

constexpr auto Relaxed = std::memory_order_relaxed;

int64_t wallMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

uint32_t packWord0(const TTData& d) { return (d.keyCheck & 0xFFFFFF) | (uint32_t(d.age) << 24); }
uint32_t packWord1(const TTData& d) { return uint16_t(d.score) | (uint32_t(uint16_t(d.staticEval)) << 16); }
uint32_t packWord2(const TTData& d) { return d.move | (uint32_t(uint8_t(d.depth)) << 16) | (uint32_t(d.flags & 0x7F) << 24); }

}  // namespace

TTData TTSlot::read() const {
  const std::atomic<uint32_t>* w = bucket->words + 3 * index;
  const uint32_t w0 = w[0].load(Relaxed), w1 = w[1].load(Relaxed), w2 = w[2].load(Relaxed);
  TTData d;
  d.keyCheck = w0 & 0xFFFFFF;
  d.age = uint8_t(w0 >> 24);
  d.score = int16_t(uint16_t(w1));
  d.staticEval = int16_t(uint16_t(w1 >> 16));
  d.move = Move(w2);
  d.depth = int8_t(uint8_t(w2 >> 16));
  d.flags = uint8_t(w2 >> 24);
  return d;
}

void TTSlot::write(const TTData& d) const {
  std::atomic<uint32_t>* w = bucket->words + 3 * index;
  w[0].store(packWord0(d), Relaxed);
  w[1].store(packWord1(d), Relaxed);
  w[2].store(packWord2(d), Relaxed);
}

bool isProvenMate(int score, int depth, Bound bound) {
  const int m = score < 0 ? -score : score;
  if (10000 - m > depth + (depth >> 2) + (depth >> 1) + 2) return false;
  switch (bound) {
    case BoundUpper: return score < -9500;
    case BoundLower: return score > 9500;
    case BoundExact: return m > 9500;
    default: return false;
  }
}

TranspositionTable& transpositionTable() {
  static TranspositionTable table;
  return table;
}

TranspositionTable::~TranspositionTable() { freeLargeMemory(buckets); }

bool TranspositionTable::resize(uint64_t requested) {
  uint64_t count = uint64_t(1) << 33;
  for (int i = 8; i <= 32; ++i)
    if (requested / 64 < (uint64_t(1) << i)) {
      count = uint64_t(1) << (i - 1);
      break;
    }
  const uint64_t size = count * sizeof(TTBucket);
  if (buckets && size == bytes) {
    clear();
    return true;
  }
  void* memory = allocateLargeMemory(size);
  if (!memory) return false;
  freeLargeMemory(buckets);
  buckets = static_cast<TTBucket*>(memory);
  bucketMask = count - 1;
  bytes = size;
  clear();
  return true;
}

void TranspositionTable::clear() {
  if (buckets) std::memset(static_cast<void*>(buckets), 0, bytes);
  hashfullTime.store(-1000000, Relaxed);
}

TTSlot TranspositionTable::probe(Key key) const {
  if (!buckets) return {};
  TTBucket* b = bucketOf(key);
  const uint32_t check = keyCheckOf(key);
  for (int i = 0; i < EntriesPerBucket; ++i)
    if ((b->words[3 * i].load(Relaxed) & 0xFFFFFF) == check) return TTSlot{b, i};
  return {};
}

TTSlot TranspositionTable::selectSlot(TTBucket* bucket, uint32_t keyCheck, uint8_t age8) const {
  int best = 0, bestValue = -1000000;
  for (int i = 0; i < EntriesPerBucket; ++i) {
    const TTData e = TTSlot{bucket, i}.read();
    if (e.keyCheck == keyCheck || e.keyCheck == 0) return TTSlot{bucket, i};
    const int ageDiff = age8 > e.age ? age8 - e.age : e.age - age8;
    int value = (ageDiff > 2 ? 3000 : 4 * ageDiff) - e.depth;
    if (e.bound() == BoundExact) value -= 4;
    if (e.provenMate()) value -= 2;
    if (value > bestValue) best = i, bestValue = value;
  }
  return TTSlot{bucket, best};
}

TTSlot TranspositionTable::claim(Key key) const {
  if (!buckets) return {};
  const TTSlot slot = selectSlot(bucketOf(key), keyCheckOf(key), age8());
  slot.write(TTData{keyCheckOf(key), age8(), 0, NoScore, NullMove, ClaimedDepth, BoundNone});
  return slot;
}

bool TranspositionTable::isUsable(const TTData& e, int alpha, int beta, int depth, int ply, int& score) {
  score = scoreFromTable(e.score, ply);
  const int a = int16_t(alpha), b = int16_t(beta);
  switch (e.bound()) {
    case BoundLower:
      if (score >= b && (e.depth >= depth || score >= 8998)) return true;
      break;
    case BoundUpper:
      if (score <= a && (e.depth >= depth || score <= -8998)) return true;
      break;
    case BoundExact:
      if (e.depth >= depth) return true;
      break;
    default:
      break;
  }
  return e.provenMate() && e.depth > depth;
}

void TranspositionTable::store(TTSlot slot, Key key, int alpha, int beta, Move move, int score, int depth, int ply,
                               uint8_t age8, int staticEval, uint8_t nodeFacts) const {
  if (!slot) return;
  const int a = int16_t(alpha), b = int16_t(beta);
  const Bound bound = score >= b ? BoundLower : score <= a ? BoundUpper : BoundExact;
  int adj = scoreToTable(score, ply);
  const TTData old = slot.read();
  const uint32_t check = keyCheckOf(key);
  auto flagsFor = [&](int value) {
    uint8_t facts = nodeFacts & ~FactProvenMate;
    if (isProvenMate(value, depth, bound)) facts |= FactProvenMate;
    return uint8_t((facts << 2) | bound);
  };
  auto isReal = [](Move m) { return m != NullMove && !isMarker(m); };

  if (old.keyCheck != check) {
    slot.write(TTData{check, age8, int16_t(adj), int16_t(staticEval), move, int8_t(depth), flagsFor(adj)});
    return;
  }

  bool overwrite;
  const bool lessExtreme = (old.score < -9500 && adj > old.score) || (old.score > 9500 && adj < old.score);
  if (old.provenMate() && lessExtreme && bound != BoundExact && old.bound() == BoundExact) {
    overwrite = false;
  } else {
    if (old.provenMate() && lessExtreme) adj = old.score;
    if (depth >= old.depth)
      overwrite = true;
    else if (depth < 0 || bound == BoundExact)
      overwrite = false;
    else if (bound == BoundLower && old.bound() == BoundLower && old.score > adj)
      overwrite = false;
    else if (bound == BoundUpper && old.bound() == BoundUpper && old.score < adj)
      overwrite = false;
    else
      overwrite = depth >= old.depth - 4 || old.age != age8 || isProvenMate(adj, depth, bound);
  }

  if (overwrite) {
    Move m = move;
    if (!isReal(m) && isReal(old.move) && (old.depth >= depth - 1 || old.bound() == BoundExact)) m = old.move;
    const int eval = staticEval == NoScore ? old.staticEval : staticEval;
    slot.write(TTData{check, age8, int16_t(adj), int16_t(eval), m, int8_t(depth), flagsFor(adj)});
  } else {
    TTData e = old;
    e.age = age8;
    if (!isReal(old.move) && isReal(move) && (depth >= old.depth - 2 || bound == BoundExact)) e.move = move;
    if (old.staticEval == NoScore) e.staticEval = int16_t(staticEval);
    slot.write(e);
  }
}

void TranspositionTable::refresh(TTSlot slot) const {
  if (!slot) return;
  std::atomic<uint32_t>& w0 = slot.bucket->words[3 * slot.index];
  w0.store((w0.load(Relaxed) & 0xFFFFFF) | (uint32_t(age8()) << 24), Relaxed);
}

int TranspositionTable::hashfull() {
  const int64_t now = wallMilliseconds();
  if (now - hashfullTime.load(Relaxed) < 500) return hashfullCache.load(Relaxed);
  int count = 0;
  if (buckets) {
    const uint64_t sampled = std::min<uint64_t>(1000, bucketMask + 1);
    for (uint64_t b = 0; b < sampled; ++b)
      for (int i = 0; i < EntriesPerBucket; ++i) {
        const TTData e = TTSlot{buckets + b, i}.read();
        if (e.keyCheck && e.age == age8()) ++count;
      }
  }
  const int value = count * 1000 / 5000;
  hashfullCache.store(value, Relaxed);
  hashfullTime.store(now, Relaxed);
  return value;
}

std::string TranspositionTable::describe(const Position& pos) const {
  char text[256];
  const TTSlot slot = probe(pos.key);
  if (!slot) {
    int used = 0;
    TTBucket* b = buckets ? bucketOf(pos.key) : nullptr;
    int length = 0;
    if (b)
      for (int i = 0; i < EntriesPerBucket; ++i) used += TTSlot{b, i}.read().keyCheck != 0;
    length = std::snprintf(text, sizeof text, "Not Found\n(%d / %d in bucket)\n", used, EntriesPerBucket);
    for (int i = 0; b && i < EntriesPerBucket && length < int(sizeof text); ++i)
      length += std::snprintf(text + length, sizeof text - size_t(length), "depth = %d \n", TTSlot{b, i}.read().depth);
    return text;
  }
  const TTData e = slot.read();
  const bool black = pos.sideToMove == Black;
  const char* prefix = "";
  if (e.bound() == BoundUpper) prefix = black ? ">= " : "<= ";
  if (e.bound() == BoundLower) prefix = black ? "<= " : ">= ";
  static constexpr const char* BoundName[4] = {"Fail Low", "Fail High", "Exact", "No Value"};
  char move[MoveTextSize] = "";
  if (e.hasMove()) {
    moveToText(move, e.move, pos, San);
    if (std::strcmp(move, "xx") == 0) move[0] = '\0';
  }
  char depth[8];
  std::snprintf(depth, sizeof depth, "%d", e.depth);
  int length = std::snprintf(text, sizeof text, "Eval: %s%d  \nMove: %s \nDepth: %s\n%s\nAge: %d\nStatic Eval: %d\n", prefix,
                             black ? -e.score : e.score, move, depth, BoundName[e.bound()], e.age,
                             black ? -e.staticEval : e.staticEval);
  auto append = [&](const char* s) {
    if (length < int(sizeof text)) length += std::snprintf(text + length, sizeof text - size_t(length), "%s", s);
  };
  const uint8_t facts = e.facts();
  if (facts & FactSingular) append("Singular | ");
  if (facts & FactPv) append("Pv | ");
  if (facts & FactNoChecks)
    append("No Checks | ");
  else if (facts & FactNoMateThreat)
    append("No Mate Threat | ");
  if (facts & FactProvenMate) append("Mate\n");
  return text;
}

}  // namespace tarn

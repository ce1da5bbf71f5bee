// The transposition table: one large hash table of search results shared by
// every search thread without locks.
//
// A bucket is one 64-byte cache line holding five 12-byte entries and four
// unused bytes. An entry, little-endian:
//
//   bytes 0-2   keyCheck    bits 40..63 of the position key; 0 marks an empty slot
//   byte  3     age         low byte of the table age when last written or used
//   bytes 4-5   score       int16, mate scores relative to the node
//   bytes 6-7   staticEval  int16, -30000 = none
//   bytes 8-9   move        0 or bit 15 set = no move
//   byte  10    depth       int8; quiescence uses -1..-4, -127 marks a claimed slot
//   byte  11    flags       bits 0-1 bound, bits 2-6 node facts, bit 7 zero
//
// The bucket index is the low bits of the key, the check its top 24 bits.
// Entries are kept as three relaxed 32-bit atomics so that concurrent reads
// and writes are well defined; a reader may still see an entry half written by
// another thread, which only costs search quality: every table move is checked
// for pseudo-legality before it is played.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/position.h"

namespace tarn {

enum Bound : uint8_t { BoundUpper = 0, BoundLower = 1, BoundExact = 2, BoundNone = 3 };

// Node facts passed to store: bit 0 singular, 1 PV, 2 no mate threat, 3 no checks,
// 4 proven mate (recomputed by store). In the flags byte they sit two bits higher.
enum NodeFact : uint8_t {
  FactSingular = 1,
  FactPv = 2,
  FactNoMateThreat = 4,
  FactNoChecks = 8,
  FactProvenMate = 16,
};

constexpr int NoScore = -30000;
constexpr int8_t ClaimedDepth = -127;

// A copy of one entry as read from the table.
struct TTData {
  uint32_t keyCheck;
  uint8_t age;
  int16_t score;
  int16_t staticEval;
  Move move;
  int8_t depth;
  uint8_t flags;

  Bound bound() const { return Bound(flags & 3); }
  uint8_t facts() const { return uint8_t(flags >> 2); }
  bool provenMate() const { return (flags & (FactProvenMate << 2)) != 0; }
  bool hasMove() const { return move != NullMove && !isMarker(move); }
};

struct alignas(64) TTBucket {
  std::atomic<uint32_t> words[16];  // entry i in words 3i..3i+2; word 15 unused
};
static_assert(sizeof(TTBucket) == 64, "a bucket is one cache line");

constexpr int EntriesPerBucket = 5;

// Where an entry lives; the search keeps it from probe or claim to store.
struct TTSlot {
  TTBucket* bucket = nullptr;
  int index = 0;

  explicit operator bool() const { return bucket != nullptr; }
  TTData read() const;
  void write(const TTData& d) const;
};

// Mate scores are stored relative to the node and read back relative to the root.
constexpr int scoreToTable(int score, int ply) { return score > 9000 ? score + ply : score < -9000 ? score - ply : score; }
constexpr int scoreFromTable(int score, int ply) { return score > 9000 ? score - ply : score < -9000 ? score + ply : score; }

// A score proven to be a mate within the reach of a search of this depth.
bool isProvenMate(int score, int depth, Bound bound);

class TranspositionTable {
 public:
  TranspositionTable() = default;
  ~TranspositionTable();
  TranspositionTable(const TranspositionTable&) = delete;
  TranspositionTable& operator=(const TranspositionTable&) = delete;

  // Reallocates for `bytes` (rounded down to a power of two of buckets, 2^7..2^33).
  // When the memory cannot be had the previous table stays and false is returned.
  bool resize(uint64_t bytes);
  // Zero-fills the whole table.
  void clear();

  // The entry of this position, if any.
  TTSlot probe(Key key) const;
  // On a probe miss: a slot for this position, marked as claimed without a result.
  TTSlot claim(Key key) const;
  TTSlot selectSlot(TTBucket* bucket, uint32_t keyCheck, uint8_t age8) const;

  // Whether the entry can end the search of a node; `score` receives its score
  // converted to the node.
  static bool isUsable(const TTData& e, int alpha, int beta, int depth, int ply, int& score);

  void store(TTSlot slot, Key key, int alpha, int beta, Move move, int score, int depth, int ply, uint8_t age8,
             int staticEval, uint8_t nodeFacts) const;
  void refresh(TTSlot slot) const;

  // Per mille of the sampled entries written by the current search.
  int hashfull();
  // The entry of a position as text, for the window program's inspection display.
  std::string describe(const Position& pos) const;

  static uint32_t keyCheckOf(Key key) { return uint32_t(key >> 40); }
  TTBucket* bucketOf(Key key) const { return buckets + (key & bucketMask); }

  // False until the first successful resize.
  bool ready() const { return buckets != nullptr; }
  uint64_t sizeBytes() const { return bytes; }
  uint64_t bucketCount() const { return bucketMask + 1; }
  const void* base() const { return buckets; }
  uint64_t mask() const { return bucketMask; }

  // The current search generation; only its low 8 bits enter entries. Raised by
  // one for every search and by two for every new game.
  std::atomic<int32_t> age{0};
  uint8_t age8() const { return uint8_t(age.load(std::memory_order_relaxed)); }

 private:
  TTBucket* buckets = nullptr;
  uint64_t bucketMask = 0;
  uint64_t bytes = 0;
  std::atomic<int> hashfullCache{0};
  std::atomic<int64_t> hashfullTime{-1000000};
};

// The engine's one table, shared by every search thread.
TranspositionTable& transpositionTable();

}  // namespace tarn

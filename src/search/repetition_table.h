// Positions of the game since the last irreversible move (count 1 each) and of
// the current search path (count 2 while on the path), for the search's
// repetition test. Open addressing from the key's low 8 bits; a zero key is free.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

class RepetitionTable {
 public:
  static constexpr int Size = 256;

  void clear() {
    for (Slot& s : slots) s = Slot{};
  }

  // Adds `count` to the key's entry (a new entry when absent). A full table stops recording.
  void add(Key key, int count) {
    if (!key) return;
    for (int i = 0, index = int(key & (Size - 1)); i < Size; ++i, index = (index + 1) & (Size - 1)) {
      Slot& s = slots[index];
      if (s.key == key) {
        s.count += count;
        return;
      }
      if (!s.key) {
        s.key = key;
        s.count = count;
        return;
      }
    }
  }

  // Subtracts `count`; the slot is freed when it reaches zero. Later entries of the
  // same probe run are moved up so that no run is broken.
  void remove(Key key, int count) {
    if (!key) return;
    for (int i = 0, index = int(key & (Size - 1)); i < Size; ++i, index = (index + 1) & (Size - 1)) {
      Slot& s = slots[index];
      if (!s.key) return;
      if (s.key != key) continue;
      if ((s.count -= count) > 0) return;
      s = Slot{};
      reinsertAfter(index);
      return;
    }
  }

  int count(Key key) const {
    if (!key) return 0;
    for (int i = 0, index = int(key & (Size - 1)); i < Size; ++i, index = (index + 1) & (Size - 1)) {
      const Slot& s = slots[index];
      if (s.key == key) return s.count;
      if (!s.key) return 0;
    }
    return 0;
  }

 private:
  struct Slot {
    Key key = 0;
    int count = 0;
  };
  Slot slots[Size];

  void reinsertAfter(int freed) {
    for (int index = (freed + 1) & (Size - 1); slots[index].key; index = (index + 1) & (Size - 1)) {
      const Slot moved = slots[index];
      slots[index] = Slot{};
      add(moved.key, moved.count);
    }
  }
};

}  // namespace tarn

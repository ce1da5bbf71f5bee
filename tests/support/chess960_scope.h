// Switches the process-wide Chess960 notation for the life of a scope.
#pragma once

#include "board/fen.h"

namespace tarn::test {

class Chess960Scope {
 public:
  explicit Chess960Scope(bool on) : previous(chess960Mode.exchange(on)) {}
  ~Chess960Scope() { chess960Mode = previous; }
  Chess960Scope(const Chess960Scope&) = delete;
  Chess960Scope& operator=(const Chess960Scope&) = delete;

 private:
  bool previous;
};

}  // namespace tarn::test

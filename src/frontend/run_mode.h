// The role of this run, chosen once at start-up from the first input line.
#pragma once

namespace tarn {

enum class RunMode : int {
  Gui = 0,       // nothing could be read from standard input (or --gui)
  WinBoard = 1,  // the first line does not begin with "uci"
  Uci = 2,       // the first line begins with "uci"
};

// Set by startUp before any other thread exists; read-only afterwards.
extern RunMode runMode;

}  // namespace tarn

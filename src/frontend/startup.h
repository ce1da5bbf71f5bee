// Start-up, mode selection and engine initialisation.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frontend/engine_state.h"
#include "frontend/protocol_output.h"
#include "frontend/run_mode.h"

namespace tarn {

// The current directory recorded at start-up (the executable's folder); the
// window program makes it current again before it touches its own files.
extern std::string startDirectory;

// The mode a first input line chooses: Uci when it begins with "uci", else WinBoard.
RunMode modeOfFirstLine(std::string_view line);

// True when that first line makes start-up print the identification block:
// it begins with "uci" but not with "ucinew".
bool printsIdentification(std::string_view line);

// The value of a command-line switch written "NAME%d" ("-TT256", "-Threads4")
// at its first occurrence in `commandLine`; nothing when the switch is absent or
// no number follows it.
std::optional<int> switchValue(std::string_view commandLine, std::string_view name);

// Step 6: the window program's settings that every mode starts from.
void applyGuiSettings(EngineState& state);

// The engine's initialisation sequence, in its fixed order, printing the load
// reports on `out`. The thread count is made 1..256.
void initEngine(int hashMegabytes, int threadCount, EngineState& state, ProtocolOutput& out);

// Runs start-up with the command line. Reads the first line of standard input
// (unless "--gui" is given) to choose the mode. In the protocol modes it runs
// the protocol loop to its end and returns false: the process ends with status 0.
// Returns true in window mode, where the window program takes over.
bool startUp(int argc, char** argv);

}  // namespace tarn

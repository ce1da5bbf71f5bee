#include "frontend/startup.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "board/attacks.h"
#include "board/zobrist.h"
#include "eval/tb/syzygy.h"
#include "frontend/engine_services.h"
#include "frontend/line_reader.h"
#include "frontend/settings.h"
#include "frontend/uci.h"
#include "frontend/winboard.h"
#include "platform/executable_folder.h"
#include "platform/signals.h"

namespace tarn {

RunMode runMode = RunMode::Gui;
std::string startDirectory;

namespace {

constexpr int MinSwitchHash = 4;
constexpr int MaxSwitchHash = 16384;

std::string joinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

bool hasArgument(int argc, char** argv, std::string_view wanted) {
  for (int i = 1; i < argc; ++i)
    if (wanted == argv[i]) return true;
  return false;
}

}  // namespace

RunMode modeOfFirstLine(std::string_view line) { return line.substr(0, 3) == "uci" ? RunMode::Uci : RunMode::WinBoard; }

bool printsIdentification(std::string_view line) {
  return modeOfFirstLine(line) == RunMode::Uci && line.substr(0, 6) != "ucinew";
}

std::optional<int> switchValue(std::string_view commandLine, std::string_view name) {
  const size_t at = commandLine.find(name);
  if (at == std::string_view::npos) return std::nullopt;
  // As "%d" reads it: blanks, an optional sign, at least one digit.
  std::string_view text = commandLine.substr(at + name.size());
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  return leadingInt(text);
}

void applyGuiSettings(EngineState& state) {
  Settings& gui = guiSettings;
  gui.setPlayerName(gui["Name"]);
  state.options.clockMinutes = settingInt(gui, "Minutes");
  state.options.clockIncrement = settingInt(gui, "Seconds");
  state.options.depthLimit = settingInt(gui, "MaxDepth");
  state.options.ponder = settingFlag(gui, "Ponder");
  gui.displayInfo = settingFlag(gui, "DisplayInfo");
  gui.displayArrows = settingFlag(gui, "DisplayArrows");
  gui.alwaysWait = settingFlag(gui, "AlwaysWait");
  gui.autoFlip = settingFlag(gui, "AutoFlip");
  gui.evalWhitePOV = settingFlag(gui, "EvalWhitePOV");
  state.options.winBoardWhitePOV = settingFlag(engineSettings, "EvalWhitePOV");
}

void initEngine(int hashMegabytes, int threadCount, EngineState& state, ProtocolOutput& out) {
  const std::string folder = executableFolder();
  initZobrist();
  const int bitbases = loadEndgameBitbases(folder);
  const int networks = loadNeuralNets(folder);
  initAttackTables();
  buildEvaluationTables();
  buildSearchTables();

  out.line("info string " + std::to_string(bitbases) + " bitbases loaded.");
  out.line("info string " + std::to_string(networks) + " neural nets loaded.");
  if (const int pieces = largestTablebaseMen(); pieces > 0)
    out.line("info string " + std::to_string(pieces) + "-man syzygy tablebases loaded.");

  if (resizeTranspositionTable(hashMegabytes)) {
    state.options.hashMegabytes = hashMegabytes;
  } else {
    out.line("info string hash table of " + std::to_string(hashMegabytes) + " MB could not be allocated; using " +
             std::to_string(state.options.hashMegabytes) + " MB");
    resizeTranspositionTable(state.options.hashMegabytes);
  }
  createOpeningBook();
  loadOpeningBook(folder, (*state.active)["BookPath"], out);

  state.options.threadCount = std::clamp(threadCount, 1, MaxSearchThreads);
  startSearchThreads(state.options.threadCount);
}

bool startUp(int argc, char** argv) {
  ProtocolOutput& out = standardOutput();
  EngineState& state = engineState();
  const std::string commandLine = joinArguments(argc, argv);

  // 1. Files of the program are found relative to its own folder.
  const std::string folder = executableFolder();
  setCurrentDirectory(folder);
  state.log.setPath(folder + "/" + TrafficLogName);

  // 2. The first input line chooses the mode; "--gui" chooses the window without reading.
  runMode = RunMode::Gui;
  std::string firstLine;
  LineReader input(stdin);
  std::optional<WinBoardHandler> winBoard;
  if (!hasArgument(argc, argv, "--gui") && input.readLine(firstLine, FirstLineLimit)) {
    runMode = modeOfFirstLine(firstLine);
    if (runMode == RunMode::Uci) {
      if (printsIdentification(firstLine)) printUciIdentification(out, state.options);
    } else {
      // A WinBoard GUI may interrupt the engine with a signal that would otherwise end it.
      ignoreInterruptSignal();
      winBoard.emplace(state, out);
      winBoard->handleLine(firstLine);
      out.line("feature done=0");
    }
  }

  // 3. Remember the folder we work in.
  startDirectory = currentDirectory();

  // 4, 5. The settings files, over their defaults.
  addEngineDefaults(engineSettings);
  loadSettings(engineSettings, "engineWB.dft");
  addGuiDefaults(guiSettings);
  loadSettings(guiSettings, "engineGUI.dft");

  // 6. Depth limit, clock and pondering start from the window program's settings in every mode.
  applyGuiSettings(state);

  // 7. "-TT": the table size at once; the protocol modes resize to "HashMB" in initEngine.
  if (const auto megabytes = switchValue(commandLine, "-TT"); megabytes && *megabytes >= MinSwitchHash &&
                                                                 *megabytes <= MaxSwitchHash) {
    if (resizeTranspositionTable(*megabytes)) {
      state.options.hashMegabytes = *megabytes;
      if (runMode == RunMode::Gui) setSettingInt(guiSettings, "HashMB", *megabytes);
    }
  }

  // 8. Contempt and tablebases from the settings (UCI takes them from "setoption" only).
  if (runMode != RunMode::Uci) {
    activeSettings = runMode == RunMode::Gui ? guiSettings : engineSettings;
    state.options.contemptMid = settingInt(activeSettings, "ContemptMid");
    state.options.contemptEnd = settingInt(activeSettings, "ContemptEnd");
    if (const std::string& path = activeSettings["SyzygyPath"]; !path.empty()) {
      state.options.syzygyPath = path;
      initTablebases(path);
    }
  }

  // 9. The window program goes on from here.
  if (runMode == RunMode::Gui) return true;

  // 10. The protocol modes initialise the engine and run their loop to the end.
  activeSettings = engineSettings;
  int threads = 1;
  if (runMode == RunMode::WinBoard) {
    threads = settingInt(activeSettings, "Threads");
    if (const auto count = switchValue(commandLine, "-Threads")) threads = *count;
  }
  initEngine(settingInt(activeSettings, "HashMB"), threads, state, out);
  if (winBoard)
    runWinBoardLoop(*winBoard, state, input);
  else
    runUciLoop(state, out, input);
  winBoard.reset();
  stopSearchThreads();
  return false;
}

}  // namespace tarn

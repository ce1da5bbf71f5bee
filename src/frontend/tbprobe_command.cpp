#include "frontend/tbprobe_command.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "board/notation.h"
#include "eval/tb/syzygy.h"
#include "frontend/command_line.h"
#include "frontend/settings.h"
#include "platform/executable_folder.h"

namespace tarn {

namespace {

// Deep enough that the probe-depth rule never holds a probe back.
constexpr int UnlimitedDepth = 1000;

int usage() {
  std::fprintf(stderr, "usage: tarnchess tbprobe [--path DIR[;DIR...]] FEN\n");
  return 1;
}

}  // namespace

int runTbprobeCommand(int argc, char** argv) {
  std::string path;
  bool pathGiven = false;
  std::string fen;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--path") {
      if (++i >= argc) return usage();
      path = argv[i];
      pathGiven = true;
      continue;
    }
    // The FEN may come as one argument or as its fields, unquoted.
    if (!fen.empty()) fen += ' ';
    fen += arg;
  }
  if (fen.empty()) return usage();
  if (!pathGiven) {
    Settings settings;
    loadSettings(settings, pathBesideExecutable("engineWB.dft"));
    path = settings["SyzygyPath"];
  }

  Position pos{};
  if (!readCommandLineFen("tbprobe", fen, pos)) return 1;

  initTablebases(path);
  std::string report;
  const int wdl = probeWdl(pos, UnlimitedDepth);
  if (wdl == WdlNone) {
    report = "wdl none\n";
  } else {
    report = "wdl " + std::to_string(wdl) + "\n";
    const RootProbe root = probeRoot(pos);
    if (root.wdl == WdlNone) {
      report += "dtz none\nbestmove none\n";
    } else {
      const int signedDtz = root.wdl > 0 ? root.dtz : root.wdl < 0 ? -root.dtz : 0;
      const std::string move = root.move ? moveToCoordinate(root.move, pos, false) : "0000";
      report += "dtz " + std::to_string(signedDtz) + "\nbestmove " + move + "\n";
    }
  }
  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fflush(stdout);
  return 0;
}

}  // namespace tarn

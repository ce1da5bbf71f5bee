// TarnChess: a UCI and WinBoard chess engine (and, later, a window program).
#include "frontend/command_line.h"
#include "frontend/startup.h"

int main(int argc, char** argv) {
  if (const auto status = tarn::runCommandLineExtra(argc, argv)) return *status;
  if (tarn::startUp(argc, argv)) tarn::reportNoWindowProgram();
  return 0;
}

// How the engine names itself to GUIs and in saved games.
#pragma once

namespace tarn {

constexpr const char* EngineName = "TarnChess Blitz 2.83 avx2";
constexpr const char* EngineAuthor = "Edric Vollan";

}  // namespace tarn

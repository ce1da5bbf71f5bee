// The settings-file reader fed arbitrary bytes, from memory.
//
// Besides not crashing, reading is checked to be stable: what saving writes
// reads back into the same entries (as long as every written line fits in one
// read of 2047 characters).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarn;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  Settings settings;
  addEngineDefaults(settings);
  readSettingsText(settings, text);
  settingFlag(settings, "DebugLog");
  settingInt(settings, "Threads");
  settingInt(settings, "HashMB");

  bool fits = true;
  for (const auto& [key, value] : settings.map) fits = fits && key.size() + 1 + value.size() <= size_t(SettingsLineLimit);
  if (fits) {
    Settings back;
    back.map.clear();
    readSettingsText(back, settingsText(settings));
    if (back.map != settings.map) std::abort();
  }
  return 0;
}

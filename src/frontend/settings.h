// Settings records and the settings files "engineWB.dft" and "engineGUI.dft".
//
// A record is an ordered key-to-text map (ascending byte order of the keys).
// Looking a key up inserts it with an empty value when absent, so every key the
// program ever reads is also written back on save. Keys the program has no use
// for are kept and written back too.
//
// File format: one "key=value" line per entry, no header, comments or quoting.
// The key is the text before the first "=" (leading "=" skipped); the value is
// the rest of the line and may contain "=". A line without "=" is a key with an
// empty value. Line ends ("\n", and any "\r" before it) belong to neither.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tarn {

constexpr int PlayerNameSize = 64;         // 63 characters and the terminator
constexpr int SettingsLineLimit = 2047;    // characters per read, line end included

struct Settings {
  // Every record starts with the common defaults.
  Settings();

  std::map<std::string, std::string> map;
  char playerName[PlayerNameSize] = {};
  // Display flags, filled in guiSettings only (start-up step 6), for the window program.
  bool alwaysWait = false;
  bool displayInfo = false;
  bool autoFlip = false;
  bool evalWhitePOV = false;
  bool displayArrows = false;

  // The value of `key`, inserted empty when absent.
  std::string& operator[](const std::string& key) { return map[key]; }

  // Sets `key` to `value`, adding the key when absent.
  void set(std::string_view key, std::string_view value);

  // Copies `name` into playerName, cut to 63 characters.
  void setPlayerName(std::string_view name);
};

// The three records of the run: engineWB.dft, engineGUI.dft, and the one the
// engine consults (a copy of one of the other two, changed by "OwnBook" and "name").
extern Settings engineSettings;
extern Settings guiSettings;
extern Settings activeSettings;

// The additional defaults given before "engineWB.dft" / "engineGUI.dft" is read.
void addEngineDefaults(Settings& settings);
void addGuiDefaults(Settings& settings);

// Reads settings text (the file's whole content) into the record: each entry
// replaces or adds to the map. Lines longer than SettingsLineLimit are read in pieces.
void readSettingsText(Settings& settings, std::string_view text);

// The file's text: "key=value\n" for every entry, in key order.
std::string settingsText(const Settings& settings);

// Reads the file at `path` (as given, so a bare name is relative to the current
// directory). False when it cannot be opened; the record is then unchanged.
bool loadSettings(Settings& settings, const std::string& path);

// Writes the record to `path`; a failed write leaves the old file as it was. False when it cannot be written.
bool writeSettingsFile(const Settings& settings, const std::string& path);

// Writes the record to the file `name` beside the executable; silently skipped on failure.
bool saveSettings(const Settings& settings, const std::string& name);

// On when the value is exactly "1" or exactly "true".
bool settingFlag(Settings& settings, const std::string& key);

// The decimal integer at the start of the value (0 when there are no digits).
int settingInt(Settings& settings, const std::string& key);

void setSettingInt(Settings& settings, const std::string& key, int value);

// The integer at the start of `text` as the settings and the protocols read
// numbers: leading blanks, an optional sign, digits; 0 without digits; clamped
// to the int range.
int leadingInt(std::string_view text);

}  // namespace tarn

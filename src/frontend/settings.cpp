#include "frontend/settings.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/executable_folder.h"
#include "platform/file_writing.h"

namespace tarn {

Settings engineSettings;
Settings guiSettings;
Settings activeSettings;

namespace {

struct Default {
  const char* key;
  const char* value;
};

constexpr Default CommonDefaults[] = {
    {"Resign", "1"},      {"DrawOffers", "1"},  {"LogGames", "1"},     {"BookEnabled", "1"},
    {"BookLearn", "1"},   {"BookPath", "TestBook.tcb"}, {"HashMB", "64"}, {"EvalWhitePOV", "0"},
    {"Threads", "1"},     {"SyzygyPath", ""},
};

constexpr Default EngineDefaults[] = {{"DebugLog", "0"}, {"ContemptMid", "0"}, {"ContemptEnd", "0"}};

constexpr Default GuiDefaults[] = {
    {"EvalWhitePOV", "1"}, {"ContemptMid", "12"},   {"ContemptEnd", "4"},   {"Ponder", "0"},
    {"MaxDepth", "100"},   {"Name", "Human"},       {"Minutes", "5"},       {"Seconds", "5"},
    {"DisplayInfo", "1"},  {"DisplayArrows", "1"},  {"ShowLastMove", "1"},  {"AlwaysWait", "0"},
    {"AutoFlip", "1"},
};

template <size_t N>
void addDefaults(Settings& settings, const Default (&defaults)[N]) {
  for (const Default& d : defaults) settings.set(d.key, d.value);
}

}  // namespace

Settings::Settings() { addDefaults(*this, CommonDefaults); }

void Settings::set(std::string_view key, std::string_view value) {
  // Built first and moved in: assigning a C string in place trips a false
  // -Wrestrict warning of g++ 12 at -O3.
  map.insert_or_assign(std::string(key), std::string(value));
}

void Settings::setPlayerName(std::string_view name) {
  const size_t length = std::min(name.size(), size_t(PlayerNameSize - 1));
  std::memset(playerName, 0, sizeof playerName);
  std::memcpy(playerName, name.data(), length);
}

void addEngineDefaults(Settings& settings) { addDefaults(settings, EngineDefaults); }

void addGuiDefaults(Settings& settings) { addDefaults(settings, GuiDefaults); }

namespace {

// One line as read, line end and trailing "\r" removed.
void readSettingsLine(Settings& settings, std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  size_t start = 0;
  while (start < line.size() && line[start] == '=') ++start;
  line.remove_prefix(start);
  const size_t equals = line.find('=');
  const std::string_view key = line.substr(0, equals);
  // An empty line (or one of "=" only) would add an empty key that saving turns into a "=" line.
  if (key.empty()) return;
  settings.set(key, equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1));
}

}  // namespace

void readSettingsText(Settings& settings, std::string_view text) {
  // As a line reader with a limit of SettingsLineLimit characters would see it:
  // a longer line goes on as the next piece.
  size_t position = 0;
  while (position < text.size()) {
    const size_t limit = std::min(text.size(), position + size_t(SettingsLineLimit));
    size_t end = position;
    while (end < limit && text[end] != '\n') ++end;
    if (end < limit) ++end;  // the line end belongs to its line
    readSettingsLine(settings, text.substr(position, end - position));
    position = end;
  }
}

std::string settingsText(const Settings& settings) {
  std::string text;
  for (const auto& [key, value] : settings.map) {
    text += key;
    text += '=';
    text += value;
    text += '\n';
  }
  return text;
}

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool loadSettings(Settings& settings, const std::string& path) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
  readSettingsText(settings, text);
  return true;
}

bool writeSettingsFile(const Settings& settings, const std::string& path) {
  return replaceFileContents(path, settingsText(settings));
}

bool saveSettings(const Settings& settings, const std::string& name) {
  return writeSettingsFile(settings, pathBesideExecutable(name));
}

bool settingFlag(Settings& settings, const std::string& key) {
  const std::string& value = settings[key];
  return value == "1" || value == "true";
}

int leadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

int settingInt(Settings& settings, const std::string& key) { return leadingInt(settings[key]); }

void setSettingInt(Settings& settings, const std::string& key, int value) { settings.set(key, std::to_string(value)); }

}  // namespace tarn

// The editor page's preferences text, preferences.json and the knob mode read from it.
#include "processor/prefs/UIPrefs.h"

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "Keel/Core/BoundedJson.h"
#include "library/FileIO.h"
#include "common/AppFolders.h"
#include "common/Logger.h"

namespace vlm {

using nlohmann::json;

namespace {

// Takeover modes, as the controller maps number them.
constexpr int kModeJump = 0;
constexpr int kModePickup = 1;
constexpr int kModeScaling = 2;

// The system's locale names are at most 85 characters long; nothing longer is looked at.
constexpr std::size_t kMaxLocaleNameLength = 85;

std::string UserMessageLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value)
      return std::string(value).substr(0, kMaxLocaleNameLength);
  }
  return {};
}

} // namespace

std::string GetUIPrefsPath() {
  return (std::filesystem::path(GetAppDataFolder()) / "preferences.json").string();
}

std::string GetOsUiLanguage() {
  const std::string locale = UserMessageLocale();
  if (locale.size() >= 2 && (locale[0] == 'j' || locale[0] == 'J') && (locale[1] == 'a' || locale[1] == 'A'))
    return "ja";
  return "en";
}

std::string LoadUIPrefsText() {
  const std::string path = GetUIPrefsPath();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    const std::string lang = GetOsUiLanguage();
    GetLogger().Log("UIPrefs: %s not found, seeding lang=%s from OS locale", path.c_str(), lang.c_str());
    return json{{"lang", lang}}.dump();
  }
  json value;
  std::string error;
  if (!ReadJsonFile(path, value, error)) {
    GetLogger().Log("UIPrefs: load failed (%s)", error.c_str());
    return {};
  }
  if (!value.is_object()) {
    GetLogger().Log("UIPrefs: %s is not a JSON object, ignoring", path.c_str());
    return {};
  }
  std::string text = value.dump();
  GetLogger().Log("UIPrefs: loaded %zu bytes from %s", text.size(), path.c_str());
  return text;
}

bool SaveUIPrefsText(std::string& text, const std::string& payload) {
  const json value = keel::ParseJsonBounded(payload);
  if (!value.is_object()) {
    GetLogger().Log("UIPrefs: ignoring malformed payload (%zu bytes)", payload.size());
    return false;
  }
  // Strings that are not valid UTF-8 cannot be dumped; the page never sends them, and they must not throw.
  try {
    text = value.dump();
  } catch (const json::exception&) {
    GetLogger().Log("UIPrefs: ignoring malformed payload (%zu bytes)", payload.size());
    return false;
  }
  const std::string path = GetUIPrefsPath();
  std::string error;
  if (WriteJsonFile(path, value, error))
    GetLogger().Log("UIPrefs: saved %zu bytes to %s", text.size(), path.c_str());
  else
    GetLogger().Log("UIPrefs: save failed (%s)", error.c_str());
  return true;
}

int KnobModeFromPrefsText(const std::string& text) {
  if (text.empty())
    return kModeScaling;
  const json value = keel::ParseJsonBounded(text);
  if (!value.is_object())
    return kModeScaling;
  const auto it = value.find("knobMode");
  if (it == value.end() || !it->is_string())
    return kModeScaling;
  const std::string& mode = it->get_ref<const std::string&>();
  if (mode == "jump")
    return kModeJump;
  if (mode == "pickup")
    return kModePickup;
  return kModeScaling;
}

} // namespace vlm

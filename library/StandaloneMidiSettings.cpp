// The program's dedicated MKS-80 port names in standalone-midi.json: {"in": name, "out": name}.
#include "library/StandaloneMidiSettings.h"

#include <filesystem>
#include <system_error>

#include <nlohmann/json.hpp>

#include "library/FileIO.h"
#include "library/JsonMembers.h"
#include "common/Logger.h"

namespace vlm {

std::string StandaloneMidiPath(const std::string& settingsFolder) {
  return PathToUtf8(Utf8ToPath(settingsFolder) / "standalone-midi.json");
}

bool LoadStandaloneMidiNames(const std::string& settingsFolder, StandaloneMidiNames& names) {
  names = {};
  const std::filesystem::path path = Utf8ToPath(StandaloneMidiPath(settingsFolder));
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) || ec)
    return false; // nothing chosen yet: not worth a log line
  nlohmann::json root;
  std::string error;
  if (!ReadJsonFile(path, root, error)) {
    GetLogger().Log("StandaloneMidi: load failed/invalid (%s)", error.c_str());
    return false;
  }
  if (!root.is_object()) {
    GetLogger().Log("StandaloneMidi: load failed/invalid (%s)", "not a JSON object");
    return false;
  }
  names.in = GetStringMember(root, "in", {});
  names.out = GetStringMember(root, "out", {});
  return true;
}

bool SaveStandaloneMidiNames(const std::string& settingsFolder, const StandaloneMidiNames& names) {
  const nlohmann::json root = {{"in", names.in}, {"out", names.out}};
  std::string error;
  if (!WriteJsonFile(Utf8ToPath(StandaloneMidiPath(settingsFolder)), root, error)) {
    GetLogger().Log("StandaloneMidi: save failed (%s)", error.c_str());
    return false;
  }
  return true;
}

} // namespace vlm

// The program's dedicated MKS-80 port names in standalone-midi.json: {"in": name, "out": name}.
#pragma once

#include <string>

namespace vlm {

struct StandaloneMidiNames {
  std::string in; // "" for none
  std::string out;
};

// The file's path in the per-user settings folder.
std::string StandaloneMidiPath(const std::string& settingsFolder);

// False (names left empty) when the file is missing, unreadable or not a JSON object; only the latter two
// are logged ("StandaloneMidi: load failed/invalid (...)"). A member that is not a string reads as "".
bool LoadStandaloneMidiNames(const std::string& settingsFolder, StandaloneMidiNames& names);
// Writes the file (two-space indentation, final line feed, missing folders created); a failure is logged
// ("StandaloneMidi: save failed (...)") and answered false.
bool SaveStandaloneMidiNames(const std::string& settingsFolder, const StandaloneMidiNames& names);

} // namespace vlm

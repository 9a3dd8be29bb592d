// Building and reading MIDI-map documents.
#include "processor/midimaps/MidiMaps.h"

#include "Keel/Platform/FileSystemUTF8.h"
#include "library/JsonMembers.h"
#include "common/AppFolders.h"
#include "common/EParams.h"

namespace vlm {

namespace {

// A JSON integer (signed or unsigned, never a float or a boolean) within lo..hi.
bool IntegerWithin(const nlohmann::json& value, long long lo, long long hi, int& out) {
  if (!value.is_number_integer())
    return false;
  long long v = 0;
  if (value.is_number_unsigned()) {
    const auto u = value.get<unsigned long long>();
    if (u > static_cast<unsigned long long>(hi))
      return false;
    v = static_cast<long long>(u);
  } else {
    v = value.get<long long>();
  }
  if (v < lo || v > hi)
    return false;
  out = static_cast<int>(v);
  return true;
}

} // namespace

bool IsMidiMapTarget(int paramIdx) noexcept {
  return IsSoundParam(paramIdx) && paramIdx != UpperToneParam(kToneReserved) &&
         paramIdx != LowerToneParam(kToneReserved);
}

nlohmann::json BuildMidiMapDocument(const std::function<int(int paramIdx)>& controller,
                                    const std::function<std::string(int paramIdx)>& paramName) {
  nlohmann::json assignments = nlohmann::json::array();
  for (int i = 0; i < kNumSoundParams; ++i) {
    const int cc = controller(i);
    if (!IsMidiMapTarget(i) || cc < 0 || cc > 127)
      continue;
    assignments.push_back({{"cc", cc}, {"paramIdx", i}, {"paramName", paramName(i)}});
  }
  return {{"assignments", std::move(assignments)},
          {"format", "com.velmora.midi-map"},
          {"kind", "midi-map"},
          {"pluginVersion", "1.0.13"},
          {"version", 1}};
}

bool IsMidiMapDocument(const nlohmann::json& document) {
  return document.is_object() && (GetStringMember(document, "format", "") == "com.velmora.midi-map" ||
                                  GetStringMember(document, "kind", "") == "midi-map");
}

std::vector<MidiMapAssignment> ParseMidiMapAssignments(const nlohmann::json& document) {
  std::vector<MidiMapAssignment> out;
  if (!document.is_object())
    return out;
  const auto list = document.find("assignments");
  if (list == document.end() || !list->is_array())
    return out;
  for (const nlohmann::json& entry : *list) {
    if (!entry.is_object())
      continue;
    const auto idx = entry.find("paramIdx");
    const auto cc = entry.find("cc");
    MidiMapAssignment a;
    if (idx == entry.end() || cc == entry.end() || !IntegerWithin(*idx, 0, kNumSoundParams - 1, a.paramIdx) ||
        !IntegerWithin(*cc, 0, 127, a.cc) || !IsMidiMapTarget(a.paramIdx))
      continue;
    out.push_back(a);
  }
  return out;
}

std::string DefaultMidiMapPath() {
  return keel::JoinPath(GetAppDataFolder(), "default-midi-map.vmm");
}

} // namespace vlm

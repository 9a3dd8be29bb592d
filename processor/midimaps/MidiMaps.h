// MIDI-map documents (.vmm): which controller drives which sound parameter, as the page saves and loads them
// and as the default map at start-up. Pure logic: building, recognising and reading the JSON.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vlm {

struct MidiMapAssignment {
  int paramIdx = 0;
  int cc = 0;
};

// Sound parameters 0..188 except the two "Reserved" tone slots (17 and 66).
bool IsMidiMapTarget(int paramIdx) noexcept;

// {"assignments": [{"cc", "paramIdx", "paramName"}...], "format", "kind", "pluginVersion", "version"}: one
// entry per target whose controller(paramIdx) is 0..127, in ascending index order.
nlohmann::json BuildMidiMapDocument(const std::function<int(int paramIdx)>& controller,
                                    const std::function<std::string(int paramIdx)>& paramName);

// A JSON object whose "format" is "com.velmora.midi-map" or whose "kind" is "midi-map".
bool IsMidiMapDocument(const nlohmann::json& document);

// The valid entries of "assignments" in document order; anything malformed is skipped silently.
std::vector<MidiMapAssignment> ParseMidiMapAssignments(const nlohmann::json& document);

// <app-data folder>/default-midi-map.vmm
std::string DefaultMidiMapPath();

} // namespace vlm

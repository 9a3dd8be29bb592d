// Where a parameter change comes from, and a parameter value on its way to the editor.
#pragma once

namespace keel {

enum ParamSource : int {
  kReset = 0,
  kHost = 1,
  kPresetRecall = 2,
  kUI = 3,
  kDelegate = 4,
  kRecompile = 5,
  kUnknown = 6,
};

// "Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile" or "Unknown".
constexpr const char* ParamSourceText(int source) {
  switch (source) {
  case kReset: return "Reset";
  case kHost: return "Host";
  case kPresetRecall: return "Preset";
  case kUI: return "UI";
  case kDelegate: return "Editor Delegate";
  case kRecompile: return "Recompile";
  default: return "Unknown";
  }
}

struct ParamChange {
  int index = 0;
  double value = 0.0; // real, not normalized
};

} // namespace keel

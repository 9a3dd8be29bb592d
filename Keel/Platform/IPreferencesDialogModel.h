// What the Preferences dialog's window shows and where its controls' changes go; the window itself
// knows nothing of devices.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace keel {

// The dialog's drop-down lists.
enum class PrefsCombo {
  kDriver,
  kAudioInput,
  kAudioOutput,
  kBufferSize,
  kSampleRate,
  kInput1,
  kInput2,
  kOutput1,
  kOutput2,
  kMidiInputChannel,
  kMidiOutput,
  kMidiOutputChannel,
  kCount
};

struct ComboContent {
  std::vector<std::string> items;
  int selected = -1; // -1: nothing selected
  bool enabled = true;
  bool operator==(const ComboContent&) const = default;
};

struct CheckListContent {
  std::vector<std::string> items;
  std::vector<bool> checked;
  bool operator==(const CheckListContent&) const = default;
};

// A warning the window shows at once, over itself.
struct DialogMessage {
  std::string text;
  std::string caption;
};

// Threads: UI thread only. The window calls the change handlers only for the user's own changes,
// never for the ones it makes while showing the model's state.
class IPreferencesDialogModel {
public:
  virtual ~IPreferencesDialogModel() = default;
  virtual ComboContent Combo(PrefsCombo which) const = 0;
  virtual CheckListContent MidiInputs() const = 0;

  virtual void SelectCombo(PrefsCombo which, int index) = 0;
  virtual void SetMidiInputChecked(int index, bool checked) = 0;
  virtual void Apply() = 0;
  // The dialog ends with OK or Cancel (the window's close box and Escape count as Cancel).
  virtual void Ok() = 0;
  virtual void Cancel() = 0;
  virtual std::optional<DialogMessage> TakeMessage() = 0;
};

} // namespace keel

// The Preferences dialog's behaviour without its window: the lists and selections it shows for the
// current device settings and what each control change does to the settings, the stream and the ports.
#pragma once

#include "Keel/Platform/IPreferencesDialogModel.h"
#include "standalone/devices/AudioDevices.h"
#include "standalone/devices/AudioMidiSettings.h"
#include "standalone/devices/MidiDevices.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vlm {

class IKeelAPPHost;

// What the dialog edits and uses; all of it belongs to the host object.
struct PreferencesServices {
  AudioMidiSettings& settings;
  AudioMidiSettings& backup; // taken when the dialog opens
  AudioDevices& audio;
  MidiDevices& midi;
  std::function<void()> writeSettings;
  // The MIDI ports that the instrument's own MKS-80 connection holds open; empty (or unset) when none.
  std::function<std::string()> mks80InputPort;
  std::function<std::string()> mks80OutputPort;
};

PreferencesServices HostPreferencesServices(IKeelAPPHost& host);

// The warning shown when a MIDI port cannot be opened; mks80 names the instrument's own connection.
std::string MidiPortInUseMessage(bool mks80);
// The note shown when a buffer size is chosen while a JACK stream runs at the server's size.
std::string JackBufferSizeMessage(unsigned frames);

inline constexpr std::array<int, 11> kPreferencesBufferSizes{32,  64,   96,   128,  192, 256,
                                                             512, 1024, 2048, 4096, 8192};

// Threads: UI thread only. Constructing it is the dialog's opening: MIDI ports are probed again and
// the current settings are copied into the backup.
class PreferencesModel final : public keel::IPreferencesDialogModel {
public:
  explicit PreferencesModel(PreferencesServices services);

  keel::ComboContent Combo(keel::PrefsCombo which) const override { return mCombos[Index(which)]; }
  keel::CheckListContent MidiInputs() const override { return mMidiInputs; }
  void SelectCombo(keel::PrefsCombo which, int index) override;
  void SetMidiInputChecked(int index, bool checked) override;
  // Restarts the stream with the current settings.
  void Apply() override;
  // Restarts the stream when it does not run, or not with the current settings; opens the ticked MIDI
  // inputs that are not open; then rewrites settings.ini.
  void Ok() override;
  // Puts the audio settings of the opening back and restarts the stream when anything changed.
  void Cancel() override;
  std::optional<keel::DialogMessage> TakeMessage() override;

  // Sample rates offered, in list order (the rate list's item data).
  const std::vector<int>& SampleRates() const { return mSampleRates; }

private:
  static size_t Index(keel::PrefsCombo which) { return size_t(which); }
  keel::ComboContent& C(keel::PrefsCombo which) { return mCombos[Index(which)]; }

  void FillBufferSizeList();
  void FillDriverControls();
  void FillInputChannelLists(unsigned channels);
  void FillOutputChannelLists(unsigned channels);
  void FillSampleRateList(const std::vector<unsigned>& inputRates, const std::vector<unsigned>& outputRates);
  void FillMidiControls();
  void ChangeDriver(int driver);
  void ChangeMidiOutput(int index);
  void WarnPortInUse(bool mks80);
  void TellJackBufferSize();
  void OpenTickedInputs();
  void RestartAudio();

  PreferencesServices mServices;
  std::array<keel::ComboContent, size_t(keel::PrefsCombo::kCount)> mCombos;
  std::vector<int> mSampleRates;
  keel::CheckListContent mMidiInputs;
  std::optional<keel::DialogMessage> mMessage;
  // A driver change closes the stream; OK and Cancel must then open one again even when the
  // settings end up as they were.
  bool mStreamClosed = false;
};

} // namespace vlm

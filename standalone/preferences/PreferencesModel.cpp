// Preferences dialog behaviour: lists filled from the devices, control changes applied to the settings,
// the stream and the MIDI ports.
#include "standalone/preferences/PreferencesModel.h"

#include "standalone/host/IKeelAPPHost.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vlm {
namespace {

using keel::PrefsCombo;

constexpr const char* kDriverNames[] = {"ALSA", "JACK", "PulseAudio"};
constexpr int kDriverCount = 3;

std::string IntText(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%i", value);
  return text;
}

int FindText(const std::vector<std::string>& items, const std::string& text) {
  auto it = std::find(items.begin(), items.end(), text);
  return it == items.end() ? -1 : int(it - items.begin());
}

// A combo box ignores a selection outside its entries.
int ValidIndex(const keel::ComboContent& combo, int index) {
  return index >= 0 && index < int(combo.items.size()) ? index : -1;
}

void FillChannelPair(keel::ComboContent& first, keel::ComboContent& second, unsigned channels, int channel1,
                     int channel2) {
  // The second channel follows the first, so the first cannot take the last channel.
  first.items.clear();
  second.items.clear();
  for (unsigned c = 1; c < channels; ++c) {
    first.items.push_back(IntText(int(c)));
    second.items.push_back(IntText(int(c)));
  }
  if (channels >= 1)
    second.items.push_back(IntText(int(channels)));
  first.selected = ValidIndex(first, channel1 - 1);
  second.selected = ValidIndex(second, channel2 - 1);
}

} // namespace

PreferencesServices HostPreferencesServices(IKeelAPPHost& host) {
  return PreferencesServices{host.Settings(),
                             host.DialogBackupSettings(),
                             host.Audio(),
                             host.Midi(),
                             [&host] { host.WriteSettingsFile(); },
                             {},
                             {}};
}

std::string MidiPortInUseMessage(bool mks80) {
  if (mks80)
    return "This port is in use by Velmora's MKS-80 connection\n(the MIDI icon next to the SYSEX label).\n"
           "Select \"None\" there to release the port.\n\n"
           "このポートは Velmora の MKS-80 接続\n(SYSEX ラベル横の MIDI アイコンメニュー) "
           "が使用しています。\n"
           "同メニューで None を選ぶと解放できます。";
  return "The MIDI port could not be selected because it is already in use.\n"
         "(It may be held by another application or by Velmora's MKS-80 port.)\n\n"
         "ポートが既に使用中のため選択できません。\n"
         "(他のアプリまたは Velmora の MKS-80 用ポートが使用している可能性があります)";
}

std::string JackBufferSizeMessage(unsigned frames) {
  char text[200];
  std::snprintf(text, sizeof text,
                "With JACK the buffer size is the JACK server's: %u frames now.\n"
                "Change it in the server's settings (for example with jack_bufsize).",
                frames);
  return text;
}

PreferencesModel::PreferencesModel(PreferencesServices services) : mServices(std::move(services)) {
  keel::ComboContent& driver = C(PrefsCombo::kDriver);
  driver.items.assign(std::begin(kDriverNames), std::end(kDriverNames));
  driver.selected = ValidIndex(driver, mServices.settings.driverType);
  FillBufferSizeList();
  mServices.midi.ProbeMidiIO();
  FillMidiControls();
  mServices.backup = mServices.settings;
}

void PreferencesModel::FillBufferSizeList() {
  FillDriverControls();
  keel::ComboContent& buffer = C(PrefsCombo::kBufferSize);
  buffer.items.clear();
  for (int size : kPreferencesBufferSizes)
    buffer.items.push_back(IntText(size));
  buffer.selected = FindText(buffer.items, IntText(mServices.settings.bufferFrames));
}

void PreferencesModel::FillDriverControls() {
  AudioDevices& audio = mServices.audio;
  const AudioMidiSettings& s = mServices.settings;
  const bool jack = C(PrefsCombo::kDriver).selected == kDriverJack;
  // JACK is one device for both directions: the output's choice serves for the input.
  C(PrefsCombo::kAudioInput).enabled = !jack;

  auto fill = [&audio](keel::ComboContent& combo, const std::vector<unsigned>& ids,
                       const std::string& setting) {
    combo.items.clear();
    int noted = 0;
    for (unsigned id : ids) {
      combo.items.push_back(audio.AudioDeviceName(id));
      if (combo.items.back() == setting)
        noted = int(combo.items.size()) - 1;
    }
    return noted;
  };
  const int inputIndex = fill(C(PrefsCombo::kAudioInput), audio.InputIds(), s.audioInputDevice);
  const int outputIndex = fill(C(PrefsCombo::kAudioOutput), audio.OutputIds(), s.audioOutputDevice);
  C(PrefsCombo::kAudioInput).selected =
      ValidIndex(C(PrefsCombo::kAudioInput), jack ? outputIndex : inputIndex);
  C(PrefsCombo::kAudioOutput).selected = ValidIndex(C(PrefsCombo::kAudioOutput), outputIndex);

  // Channels of a direction without devices (or whose device cannot be read) are not offered.
  std::vector<unsigned> inputRates, outputRates;
  AudioDeviceInfo info;
  unsigned inputChannels = 0, outputChannels = 0;
  if (!audio.InputIds().empty()) {
    const unsigned id = audio.InputIds()[size_t(inputIndex)];
    if (audio.GetDeviceInfo(id, info))
      inputChannels = info.inputChannels;
    inputRates = audio.DeviceSampleRates(id);
  }
  if (!audio.OutputIds().empty()) {
    const unsigned id = audio.OutputIds()[size_t(outputIndex)];
    if (audio.GetDeviceInfo(id, info))
      outputChannels = info.outputChannels;
    outputRates = audio.DeviceSampleRates(id);
  }
  FillInputChannelLists(inputChannels);
  FillOutputChannelLists(outputChannels);
  // The stream opens no input while the processor has none, so a machine without capture devices
  // still gets its output's rates.
  if (audio.InputIds().empty())
    inputRates = outputRates;
  FillSampleRateList(inputRates, outputRates);
}

void PreferencesModel::FillInputChannelLists(unsigned channels) {
  FillChannelPair(C(PrefsCombo::kInput1), C(PrefsCombo::kInput2), channels,
                  mServices.settings.audioInputChannel1, mServices.settings.audioInputChannel2);
}

void PreferencesModel::FillOutputChannelLists(unsigned channels) {
  FillChannelPair(C(PrefsCombo::kOutput1), C(PrefsCombo::kOutput2), channels,
                  mServices.settings.audioOutputChannel1, mServices.settings.audioOutputChannel2);
}

void PreferencesModel::FillSampleRateList(const std::vector<unsigned>& inputRates,
                                          const std::vector<unsigned>& outputRates) {
  keel::ComboContent& rates = C(PrefsCombo::kSampleRate);
  rates.items.clear();
  mSampleRates.clear();
  for (unsigned in : inputRates)
    for (unsigned out : outputRates)
      if (in == out) {
        rates.items.push_back(IntText(int(in)));
        mSampleRates.push_back(int(in));
      }
  rates.selected = FindText(rates.items, IntText(mServices.settings.sampleRate));
  // A JACK server offers only its own rate: that one is chosen (and kept when the dialog ends).
  if (rates.selected < 0 && !mSampleRates.empty() && mServices.settings.driverType == kDriverJack) {
    rates.selected = 0;
    mServices.settings.sampleRate = mSampleRates.front();
  }
}

void PreferencesModel::FillMidiControls() {
  MidiDevices& midi = mServices.midi;
  AudioMidiSettings& s = mServices.settings;
  if (!midi.HasInputClient() || !midi.HasOutputClient())
    return;

  mMidiInputs = {};
  const std::vector<std::string> chosen = SplitMidiInputNames(s.midiInput);
  for (const std::string& name : midi.InputNames()) {
    if (name == kMidiOff || name == kAllMidiInputs)
      continue;
    mMidiInputs.items.push_back(name);
    mMidiInputs.checked.push_back(s.midiInput == kAllMidiInputs ||
                                  std::find(chosen.begin(), chosen.end(), name) != chosen.end());
  }

  keel::ComboContent& output = C(PrefsCombo::kMidiOutput);
  output.items = midi.OutputNames();
  output.selected = FindText(output.items, s.midiOutput);
  if (output.selected < 0) {
    s.midiOutput = kMidiOff;
    if (mServices.writeSettings)
      mServices.writeSettings();
    output.selected = ValidIndex(output, 0);
  }

  for (PrefsCombo which : {PrefsCombo::kMidiInputChannel, PrefsCombo::kMidiOutputChannel}) {
    keel::ComboContent& channel = C(which);
    channel.items = {"all"};
    for (int c = 1; c <= 16; ++c)
      channel.items.push_back(IntText(c));
  }
  C(PrefsCombo::kMidiInputChannel).selected =
      ValidIndex(C(PrefsCombo::kMidiInputChannel), s.midiInputChannel);
  C(PrefsCombo::kMidiOutputChannel).selected =
      ValidIndex(C(PrefsCombo::kMidiOutputChannel), s.midiOutputChannel);
}

void PreferencesModel::SelectCombo(PrefsCombo which, int index) {
  if (which == PrefsCombo::kCount)
    return;
  keel::ComboContent& combo = C(which);
  if (index < 0 || index >= int(combo.items.size()))
    return;
  AudioMidiSettings& s = mServices.settings;
  switch (which) {
  case PrefsCombo::kDriver:
    combo.selected = index;
    ChangeDriver(index);
    break;
  case PrefsCombo::kAudioInput:
  case PrefsCombo::kAudioOutput: {
    // Another device starts on its first channel pair.
    combo.selected = index;
    const bool input = which == PrefsCombo::kAudioInput;
    (input ? s.audioInputDevice : s.audioOutputDevice) = combo.items[size_t(index)];
    (input ? s.audioInputChannel1 : s.audioOutputChannel1) = 1;
    (input ? s.audioInputChannel2 : s.audioOutputChannel2) = 2;
    FillDriverControls();
    break;
  }
  case PrefsCombo::kBufferSize:
    combo.selected = index;
    s.bufferFrames = kPreferencesBufferSizes[size_t(index)];
    TellJackBufferSize();
    break;
  case PrefsCombo::kSampleRate:
    combo.selected = index;
    s.sampleRate = mSampleRates[size_t(index)];
    break;
  case PrefsCombo::kInput1:
  case PrefsCombo::kOutput1: {
    combo.selected = index;
    const bool input = which == PrefsCombo::kInput1;
    (input ? s.audioInputChannel1 : s.audioOutputChannel1) = index + 1;
    (input ? s.audioInputChannel2 : s.audioOutputChannel2) = index + 2;
    keel::ComboContent& second = C(input ? PrefsCombo::kInput2 : PrefsCombo::kOutput2);
    second.selected = ValidIndex(second, index + 1);
    break;
  }
  case PrefsCombo::kInput2:
  case PrefsCombo::kOutput2:
    // The second channel follows the first; the list keeps showing the stored one.
    break;
  case PrefsCombo::kMidiInputChannel:
    combo.selected = index;
    s.midiInputChannel = index;
    break;
  case PrefsCombo::kMidiOutputChannel:
    combo.selected = index;
    s.midiOutputChannel = index;
    break;
  case PrefsCombo::kMidiOutput:
    ChangeMidiOutput(index);
    break;
  case PrefsCombo::kCount:
    break;
  }
}

void PreferencesModel::ChangeDriver(int driver) {
  AudioMidiSettings& s = mServices.settings;
  if (driver == s.driverType)
    return;
  AudioDevices& audio = mServices.audio;
  s.driverType = driver;
  audio.CreateAudioApi(); // closes the running stream
  mStreamClosed = true;
  audio.ListAudioDevices();
  if (!audio.InputIds().empty())
    s.audioInputDevice = audio.AudioDeviceName(audio.InputIds().front());
  if (!audio.OutputIds().empty())
    s.audioOutputDevice = audio.AudioDeviceName(audio.OutputIds().front());
  s.audioOutputChannel1 = 1;
  s.audioOutputChannel2 = 2;
  FillBufferSizeList();
}

void PreferencesModel::ChangeMidiOutput(int index) {
  keel::ComboContent& output = C(PrefsCombo::kMidiOutput);
  AudioMidiSettings& s = mServices.settings;
  output.selected = index;
  const std::string name = output.items[size_t(index)];
  s.midiOutput = name;
  if (mServices.midi.SelectMIDIDevice(MidiDevices::kOut, name) || index == 0)
    return;
  output.selected = 0;
  s.midiOutput = output.items.front();
  const std::string mks80 = mServices.mks80OutputPort ? mServices.mks80OutputPort() : std::string();
  WarnPortInUse(!mks80.empty() && mks80 == name);
}

void PreferencesModel::SetMidiInputChecked(int index, bool checked) {
  if (index < 0 || index >= int(mMidiInputs.items.size()) || mMidiInputs.checked[size_t(index)] == checked)
    return;
  mMidiInputs.checked[size_t(index)] = checked;
  std::vector<std::string> names;
  for (size_t i = 0; i < mMidiInputs.items.size(); ++i)
    if (mMidiInputs.checked[i])
      names.push_back(mMidiInputs.items[i]);
  std::vector<std::string> opened;
  mServices.midi.SelectMIDIInputs(names, opened);
  if (opened.size() < names.size()) {
    const std::string mks80 = mServices.mks80InputPort ? mServices.mks80InputPort() : std::string();
    bool heldByMks80 = false;
    for (size_t i = 0; i < mMidiInputs.items.size(); ++i) {
      const std::string& name = mMidiInputs.items[i];
      if (!mMidiInputs.checked[i] || std::find(opened.begin(), opened.end(), name) != opened.end())
        continue;
      mMidiInputs.checked[i] = false;
      if (!mks80.empty() && name == mks80)
        heldByMks80 = true;
    }
    WarnPortInUse(heldByMks80);
  }
  mServices.settings.midiInput = JoinMidiInputNames(opened);
  if (mServices.writeSettings)
    mServices.writeSettings();
}

// A JACK server has one buffer size of its own, which the stream takes whatever was chosen: when a
// stream runs, the choice goes back to the server's size and the user is told where it is set.
void PreferencesModel::TellJackBufferSize() {
  AudioDevices& audio = mServices.audio;
  AudioMidiSettings& s = mServices.settings;
  if (s.driverType != kDriverJack || !audio.IsStreamRunning() ||
      unsigned(s.bufferFrames) == audio.BufferFrames())
    return;
  s.bufferFrames = int(audio.BufferFrames());
  keel::ComboContent& buffer = C(PrefsCombo::kBufferSize);
  buffer.selected = FindText(buffer.items, IntText(s.bufferFrames));
  mMessage = keel::DialogMessage{JackBufferSizeMessage(audio.BufferFrames()), "Velmora"};
}

void PreferencesModel::WarnPortInUse(bool mks80) {
  mMessage = keel::DialogMessage{MidiPortInUseMessage(mks80), "Velmora"};
}

std::optional<keel::DialogMessage> PreferencesModel::TakeMessage() {
  return std::exchange(mMessage, std::nullopt);
}

void PreferencesModel::RestartAudio() {
  mServices.audio.StartAudioFromSettings();
  mStreamClosed = false;
}

void PreferencesModel::Apply() {
  RestartAudio();
}

void PreferencesModel::Ok() {
  // A stream that stopped on its own is started again too: OK leaves sound playing.
  if (mStreamClosed || !(mServices.audio.ActiveSettings() == mServices.settings) ||
      !mServices.audio.IsStreamRunning())
    RestartAudio();
  OpenTickedInputs();
  if (mServices.writeSettings)
    mServices.writeSettings();
}

void PreferencesModel::OpenTickedInputs() {
  std::vector<std::string> ticked;
  for (size_t i = 0; i < mMidiInputs.items.size(); ++i)
    if (mMidiInputs.checked[i])
      ticked.push_back(mMidiInputs.items[i]);
  const std::vector<MergedMidiInput>& open = mServices.midi.MergedInputs();
  const bool allOpen = std::all_of(ticked.begin(), ticked.end(), [&open](const std::string& name) {
    return std::any_of(open.begin(), open.end(),
                       [&name](const MergedMidiInput& m) { return m.name == name; });
  });
  if (allOpen)
    return;
  // Ports that are already open stay untouched; the setting keeps naming every ticked port.
  std::vector<std::string> opened;
  mServices.midi.SelectMIDIInputs(ticked, opened);
}

void PreferencesModel::Cancel() {
  AudioMidiSettings& s = mServices.settings;
  const AudioMidiSettings& backup = mServices.backup;
  if (!mStreamClosed && s.AudioEquals(backup) && s.MidiEquals(backup))
    return;
  // MIDI choices took effect at once and are stored; only the audio side goes back.
  AudioMidiSettings restored = backup;
  restored.midiInput = s.midiInput;
  restored.midiOutput = s.midiOutput;
  restored.midiInputChannel = s.midiInputChannel;
  restored.midiOutputChannel = s.midiOutputChannel;
  s = restored;
  mServices.audio.CreateAudioApi();
  mServices.audio.ListAudioDevices();
  RestartAudio();
}

} // namespace vlm

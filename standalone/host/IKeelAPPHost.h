// The program's host object: owns the processor, the audio stream and the MIDI ports, and holds the
// device settings.
#pragma once

#include "Keel/Core/IKeelAPP.h"
#include "standalone/devices/AudioDevices.h"
#include "standalone/devices/AudioMidiSettings.h"
#include "standalone/devices/MidiDevices.h"

#include <functional>
#include <memory>
#include <string>

namespace vlm {

// What the host needs from outside: how to make the processor and the back ends, and the main window's
// services. Tests replace any of them.
struct AppHostOptions {
  std::function<std::unique_ptr<keel::IKeelAPP>(const keel::InstanceInfo&)> createProcessor;
  std::function<std::unique_ptr<IAudioApi>(int driverType)> createAudioApi = CreateRtAudioApi;
  std::function<std::unique_ptr<IMidiBackend>()> createMidiBackend = CreateRtMidiBackend;
  std::function<void(const char* text, const char* caption)> showError;
  std::function<void(int width, int height)> resizeMainWindow;
  std::string settingsPath; // empty: the per-user settings.ini
};

// Threads: the UI thread, except the stream and MIDI callbacks that AudioDevices and MidiDevices
// route to the processor.
class IKeelAPPHost final : public keel::IKeelAPPHostLink, private IAudioStreamClient, private IDeviceMidiSink {
public:
  // Creates the processor through options.createProcessor; an exception from it propagates.
  explicit IKeelAPPHost(AppHostOptions options);
  ~IKeelAPPHost() override;
  IKeelAPPHost(const IKeelAPPHost&) = delete;
  IKeelAPPHost& operator=(const IKeelAPPHost&) = delete;

  // Set before InitHost: no audio or MIDI devices (also implied by a screenshot path).
  void SetNoIO(bool noIO) { mNoIO = noIO; }
  void SetScreenshotPath(std::string path) { mScreenshotPath = std::move(path); }
  bool NoIO() const { return mNoIO || !mScreenshotPath.empty(); }
  const std::string& ScreenshotPath() const { return mScreenshotPath; }

  // Host identity, settings file, audio API and devices, MIDI ports, parameter reset and activation.
  bool InitHost();
  bool StartAudioFromSettings() { return mAudio.StartAudioFromSettings(); }
  void WriteSettingsFile();

  keel::IKeelAPP& Processor() { return *mProcessor; }
  AudioMidiSettings& Settings() { return mSettings; }
  AudioMidiSettings& DialogBackupSettings() { return mDialogBackup; }
  AudioDevices& Audio() { return mAudio; }
  MidiDevices& Midi() { return mMidi; }
  const std::string& SettingsPath() const { return mSettingsPath; }

  // IKeelAPPHostLink
  keel::MidiOutputSender* GetMidiOutputSender() override { return &mMidi.Sender(); }
  void ResizeMainWindowToEditor(int width, int height) override {
    if (mOptions.resizeMainWindow) mOptions.resizeMainWindow(width, height);
  }

private:
  // IAudioStreamClient
  int InputChannelCount() const override { return mProcessor->MaxNChannels(keel::kInput); }
  int OutputChannelCount() const override { return mProcessor->MaxNChannels(keel::kOutput); }
  void PrepareForStream(double sampleRate) override;
  void RunDeviceBlock(double** inputs, double** outputs) noexcept override {
    mProcessor->RunDeviceBlock(inputs, outputs, int(keel::DeviceBlockCutter::kBlockFrames));
  }
  // IDeviceMidiSink
  bool PushDeviceMidi(const keel::MidiMsg& msg) noexcept override { return mProcessor->PushDeviceMidi(msg); }
  bool PushDeviceSysEx(const keel::SysExRecord& record) noexcept override {
    return mProcessor->PushDeviceSysEx(record);
  }

  AppHostOptions mOptions;
  // Declared first, destroyed last: the stream and the MIDI callbacks end before the processor goes.
  std::unique_ptr<keel::IKeelAPP> mProcessor;
  AudioMidiSettings mSettings;
  AudioMidiSettings mDialogBackup;
  bool mNoIO = false;
  std::string mScreenshotPath;
  std::string mSettingsPath;
  std::unique_ptr<IMidiBackend> mMidiBackend;
  MidiDevices mMidi;
  AudioDevices mAudio;
};

} // namespace vlm

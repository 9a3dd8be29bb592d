// The program's audio side: the audio API for the chosen driver, device lists, name resolution with
// fallback to the default devices, and the one stream with its fade-out stop handshake.
#pragma once

#include "Keel/Core/DeviceBlockCutter.h"
#include "standalone/devices/AudioBackend.h"
#include "standalone/devices/AudioMidiSettings.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vlm {

// The processor as the stream sees it.
class IAudioStreamClient {
public:
  virtual ~IAudioStreamClient() = default;
  virtual int InputChannelCount() const = 0;
  virtual int OutputChannelCount() const = 0;
  // UI thread, stream closed: block size 64, the rate, and the processor's reset.
  virtual void PrepareForStream(double sampleRate) = 0;
  // Audio thread: one 64-frame block.
  virtual void RunDeviceBlock(double** inputs, double** outputs) noexcept = 0;
};

struct AudioDeviceHooks {
  std::function<std::unique_ptr<IAudioApi>(int driverType)> createApi = CreateRtAudioApi;
  std::function<void()> writeSettings;
  std::function<void(const char* text, const char* caption)> showError;
  // The JACK server closed the stream (it went away): every client of that server is dead. Called once
  // per loss; serverBack when a stream plays on the server again.
  std::function<void()> serverLost;
  std::function<void()> serverBack;
};

// Threads: everything on the UI thread except HostAudioCallback (the audio thread).
class AudioDevices {
public:
  AudioDevices(AudioMidiSettings& settings, IAudioStreamClient& client, AudioDeviceHooks hooks);
  ~AudioDevices();
  AudioDevices(const AudioDevices&) = delete;
  AudioDevices& operator=(const AudioDevices&) = delete;

  void SetNoIO(bool noIO) { mNoIO = noIO; }
  void CreateAudioApi();
  void ListAudioDevices();
  std::string AudioDeviceName(unsigned id);
  std::optional<unsigned> FindAudioDeviceId(const std::string& name);
  bool StartAudioFromSettings();
  bool OpenAudioStream(unsigned inputId, unsigned outputId, int sampleRate, unsigned bufferFrames);
  void CloseAudioStream();
  // UI thread, every half second or so: a stream that stopped on its own (no callbacks, or closed by
  // its back end) is opened again from the settings with a fresh audio API, quietly, until it plays
  // again; the user is told when that keeps failing.
  void CheckStream();
  bool IsStreamRunning();

  static int HostAudioCallback(double* output, double* input, unsigned frames, void* self);

  bool HasApi() const { return mApi != nullptr; }
  // The audio API's view of one device (channel counts, rates); false or empty without an API.
  bool GetDeviceInfo(unsigned id, AudioDeviceInfo& info) { return mApi && mApi->GetDeviceInfo(id, info); }
  std::vector<unsigned> DeviceSampleRates(unsigned id) {
    return mApi ? mApi->SampleRates(id) : std::vector<unsigned>{};
  }
  const std::vector<unsigned>& InputIds() const { return mInputIds; }
  const std::vector<unsigned>& OutputIds() const { return mOutputIds; }
  std::optional<unsigned> DefaultInputId() const { return mDefaultInput; }
  std::optional<unsigned> DefaultOutputId() const { return mDefaultOutput; }
  double SampleRate() const { return mSampleRate; }
  unsigned BufferFrames() const { return mBufferFrames; }
  const AudioMidiSettings& ActiveSettings() const { return mActive; }
  keel::DeviceStreamState& StreamState() { return mState; }

private:
  void StopStream();
  // Opens the stream for the current settings; tellUser shows "Please check the audio settings" when
  // no stream could be opened.
  bool StartStream(bool tellUser);

  static constexpr int kStalledChecksBeforeReopen = 3;
  static constexpr int kLostChecksBeforeTelling = 20;

  AudioMidiSettings& mSettings;
  IAudioStreamClient& mClient;
  AudioDeviceHooks mHooks;
  std::unique_ptr<IAudioApi> mApi;
  bool mNoIO = false;
  AudioMidiSettings mActive;
  double mSampleRate = 44100.0;
  unsigned mBufferFrames = 512;
  std::optional<unsigned> mDefaultInput, mDefaultOutput;
  std::vector<unsigned> mInputIds, mOutputIds;
  keel::DeviceStreamState mState;
  keel::DeviceBlockCutter mCutter;
  // Stream watch: callbacks counted on the audio thread, compared on the UI thread.
  std::atomic<uint32_t> mCallbacks{0};
  uint32_t mCallbacksSeen = 0;
  bool mStreamWanted = false; // a stream was opened and not closed on purpose
  int mStalledChecks = 0;
  int mLostChecks = 0;
  bool mServerLost = false;
};

} // namespace vlm

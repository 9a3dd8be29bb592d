// Audio device selection and the stream's life.
#include "standalone/devices/AudioDevices.h"

#include "common/Logger.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace vlm {

AudioDevices::AudioDevices(AudioMidiSettings& settings, IAudioStreamClient& client, AudioDeviceHooks hooks)
    : mSettings(settings), mClient(client), mHooks(std::move(hooks)) {}

AudioDevices::~AudioDevices() {
  CloseAudioStream();
  mApi.reset();
}

void AudioDevices::CreateAudioApi() {
  CloseAudioStream();
  mApi.reset();
  // Device ids belong to the API that listed them.
  mDefaultInput.reset();
  mDefaultOutput.reset();
  mInputIds.clear();
  mOutputIds.clear();
  if (mNoIO || !mHooks.createApi) return;
  mApi = mHooks.createApi(mSettings.driverType);
}

void AudioDevices::ListAudioDevices() {
  mInputIds.clear();
  mOutputIds.clear();
  if (!mApi) return;
  for (unsigned id : mApi->DeviceIds()) {
    AudioDeviceInfo info;
    if (!mApi->GetDeviceInfo(id, info)) continue;
    if (info.inputChannels > 0) mInputIds.push_back(id);
    if (info.outputChannels > 0) mOutputIds.push_back(id);
    if (info.isDefaultInput) mDefaultInput = id;
    if (info.isDefaultOutput) mDefaultOutput = id;
  }
}

std::string AudioDevices::AudioDeviceName(unsigned id) {
  AudioDeviceInfo info;
  if (!mApi || !mApi->GetDeviceInfo(id, info)) return {};
  const size_t colon = info.name.find(':');
  return colon == std::string::npos ? info.name : info.name.substr(colon + 1);
}

std::optional<unsigned> AudioDevices::FindAudioDeviceId(const std::string& name) {
  if (!mApi) return std::nullopt;
  for (unsigned id : mApi->DeviceIds())
    if (AudioDeviceName(id) == name) return id;
  return std::nullopt;
}

bool AudioDevices::StartAudioFromSettings() {
  if (mNoIO) return true;
  return StartStream(true);
}

bool AudioDevices::StartStream(bool tellUser) {
  // JACK is one device for both directions: the output's name serves for the input too.
  const bool jack = mSettings.driverType == kDriverJack;
  const std::string& inputName = jack ? mSettings.audioOutputDevice : mSettings.audioInputDevice;
  std::optional<unsigned> inputId = FindAudioDeviceId(inputName);
  std::optional<unsigned> outputId = FindAudioDeviceId(mSettings.audioOutputDevice);
  bool write = false;
  if (!inputId) {
    if (mDefaultInput) {
      inputId = mDefaultInput;
      write = true;
      if (!mInputIds.empty())
        mSettings.audioInputDevice = AudioDeviceName(*mDefaultInput);
    }
  }
  if (!outputId) {
    if (mDefaultOutput) {
      outputId = mDefaultOutput;
      if (!mOutputIds.empty()) mSettings.audioOutputDevice = AudioDeviceName(*mDefaultOutput);
      write = true;
    }
  }
  // A JACK server runs at one rate of its own: the stream takes it, and the settings keep it.
  if (jack && outputId) {
    const std::vector<unsigned> rates = mApi ? mApi->SampleRates(*outputId) : std::vector<unsigned>{};
    if (!rates.empty() &&
        std::find(rates.begin(), rates.end(), unsigned(mSettings.sampleRate)) == rates.end()) {
      mSettings.sampleRate = int(rates.front());
      write = true;
    }
  }
  if (write && mHooks.writeSettings) mHooks.writeSettings();
  // A processor without inputs plays on an output-only machine: only a missing output is an error.
  const bool needsInput = mClient.InputChannelCount() > 0;
  bool opened = false;
  if (outputId && (!needsInput || inputId))
    opened = OpenAudioStream(inputId.value_or(0), *outputId, mSettings.sampleRate,
                             unsigned(mSettings.bufferFrames));
  // Silence is never the only sign: a stream that cannot open is reported like a missing device.
  if (!opened && tellUser) {
    // Told once: the watch does not retry settings that have just failed.
    mStreamWanted = false;
    if (mHooks.showError) mHooks.showError("Please check the audio settings", "Error");
  }
  return opened;
}

void AudioDevices::StopStream() {
  if (!mApi || !mApi->IsStreamOpen()) return;
  if (mApi->IsStreamRunning()) {
    mState.ending.store(true, std::memory_order_release);
    // The callback fades its last buffer out and reports "done"; a device or server that stopped
    // calling back must not hang the program, so the wait is bounded by a few buffer lengths.
    const double bufferMs = mSampleRate > 0 ? 1000.0 * mBufferFrames / mSampleRate : 0.0;
    const auto limit = std::chrono::milliseconds(std::max(100, int(4 * bufferMs)));
    const auto start = std::chrono::steady_clock::now();
    while (!mState.done.load(std::memory_order_acquire) && std::chrono::steady_clock::now() - start < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    mApi->AbortStream();
  }
  mApi->CloseStream();
}

bool AudioDevices::OpenAudioStream(unsigned inputId, unsigned outputId, int sampleRate, unsigned bufferFrames) {
  if (!mApi) return false;
  StopStream();
  const int inputs = mClient.InputChannelCount();
  const int outputs = mClient.OutputChannelCount();
  AudioStreamParams out{outputId, unsigned(outputs), 0};
  AudioStreamParams in{inputId, unsigned(inputs), 0};
  mBufferFrames = bufferFrames;
  mState.ResetForOpen();
  mSampleRate = sampleRate;
  mClient.PrepareForStream(sampleRate);
  mCutter.Open(inputs, outputs);
  if (!mApi->OpenStream(out, inputs > 0 ? &in : nullptr, unsigned(sampleRate), mBufferFrames,
                        &AudioDevices::HostAudioCallback, this))
    return false;
  if (!mApi->StartStream()) return false;
  // JACK plays at the server's buffer size, whatever was asked: the settings say so.
  if (mSettings.driverType == kDriverJack && mBufferFrames != unsigned(mSettings.bufferFrames) &&
      mBufferFrames > 0) {
    mSettings.bufferFrames = int(mBufferFrames);
    if (mHooks.writeSettings)
      mHooks.writeSettings();
  }
  mActive = mSettings;
  mStreamWanted = true;
  mStalledChecks = 0;
  mCallbacksSeen = mCallbacks.load(std::memory_order_relaxed);
  return true;
}

void AudioDevices::CloseAudioStream() {
  mStreamWanted = false;
  StopStream();
}

bool AudioDevices::IsStreamRunning() {
  return mApi && mApi->IsStreamOpen() && mApi->IsStreamRunning();
}

void AudioDevices::CheckStream() {
  if (!mStreamWanted || mNoIO)
    return;
  const uint32_t callbacks = mCallbacks.load(std::memory_order_relaxed);
  const bool advancing = callbacks != mCallbacksSeen;
  mCallbacksSeen = callbacks;
  const bool running = IsStreamRunning();
  if (running && advancing) {
    mStalledChecks = 0;
    return;
  }
  // A stream may take a moment before its first callback, and a server may pause briefly.
  if (running && ++mStalledChecks < kStalledChecksBeforeReopen)
    return;
  if (mLostChecks == 0) {
    const bool closed = !mApi || !mApi->IsStreamOpen();
    GetLogger().Log("Audio stream stopped (%s); reopening it", running ? "no callbacks" : closed ? "closed" : "stopped");
    // A JACK stream that its back end closed lost its server (a buffer-size change only stops the callbacks).
    if (closed && mSettings.driverType == kDriverJack && !mServerLost) {
      mServerLost = true;
      if (mHooks.serverLost) mHooks.serverLost();
    }
  }
  ++mLostChecks;
  mStalledChecks = 0;
  // A fresh audio API: a JACK server that restarted or changed its buffer size needs a new client.
  CreateAudioApi();
  ListAudioDevices();
  if (StartStream(false)) {
    GetLogger().Log("Audio stream reopened after %d tries", mLostChecks);
    mLostChecks = 0;
    if (std::exchange(mServerLost, false) && mHooks.serverBack) mHooks.serverBack();
    return;
  }
  mStreamWanted = true; // keep trying while the device is away
  if (mLostChecks == kLostChecksBeforeTelling && mHooks.showError)
    mHooks.showError("Please check the audio settings", "Error");
}

int AudioDevices::HostAudioCallback(double* output, double* input, unsigned frames, void* self) {
  auto* devices = static_cast<AudioDevices*>(self);
  devices->mCallbacks.fetch_add(1, std::memory_order_relaxed);
  IAudioStreamClient& client = devices->mClient;
  return devices->mCutter.Process(output, input, frames, devices->mState,
                                  [&client](double** in, double** out) { client.RunDeviceBlock(in, out); });
}

} // namespace vlm

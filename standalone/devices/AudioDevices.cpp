// Audio device selection and the stream's life.
#include "standalone/devices/AudioDevices.h"

#include <algorithm>
#include <chrono>
#include <thread>

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
  // JACK is one device for both directions: the output's name serves for the input too.
  const std::string& inputName =
      mSettings.driverType == kDriverJack ? mSettings.audioOutputDevice : mSettings.audioInputDevice;
  std::optional<unsigned> inputId = FindAudioDeviceId(inputName);
  std::optional<unsigned> outputId = FindAudioDeviceId(mSettings.audioOutputDevice);
  bool error = false;
  bool write = false;
  if (!inputId) {
    if (mDefaultInput) {
      inputId = mDefaultInput;
      write = true;
      if (!mInputIds.empty()) mSettings.audioInputDevice = AudioDeviceName(*mDefaultInput);
    } else {
      error = true;
    }
  }
  if (!outputId) {
    if (mDefaultOutput) {
      outputId = mDefaultOutput;
      if (!mOutputIds.empty()) mSettings.audioOutputDevice = AudioDeviceName(*mDefaultOutput);
      write = true;
    } else {
      error = true;
    }
  }
  if (write && mHooks.writeSettings) mHooks.writeSettings();
  // A processor without inputs plays on an output-only machine: only a missing output is an error.
  const bool needsInput = mClient.InputChannelCount() > 0;
  if (!needsInput && outputId) error = false;
  if (error && mHooks.showError) mHooks.showError("Please check the audio settings", "Error");
  if (!outputId || (needsInput && !inputId)) return false;
  return OpenAudioStream(inputId.value_or(0), *outputId, mSettings.sampleRate, unsigned(mSettings.bufferFrames));
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
  mActive = mSettings;
  return true;
}

void AudioDevices::CloseAudioStream() { StopStream(); }

int AudioDevices::HostAudioCallback(double* output, double* input, unsigned frames, void* self) {
  auto* devices = static_cast<AudioDevices*>(self);
  IAudioStreamClient& client = devices->mClient;
  return devices->mCutter.Process(output, input, frames, devices->mState,
                                  [&client](double** in, double** out) { client.RunDeviceBlock(in, out); });
}

} // namespace vlm

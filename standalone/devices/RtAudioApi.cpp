// RtAudio 5.2 behind the program's audio interface: one adapter that catches everything it throws.
#include "standalone/devices/AudioBackend.h"

#include <rtaudio/RtAudio.h>

#include <cstdio>

namespace vlm {
namespace {

void ErrorCallback(RtAudioError::Type, const std::string& errorText) {
  std::fprintf(stderr, "\nerrorCallback: %s\n\n", errorText.c_str());
}

class RtAudioApi final : public IAudioApi {
public:
  explicit RtAudioApi(RtAudio::Api api) : mAudio(api) { mAudio.showWarnings(false); }

  std::vector<unsigned> DeviceIds() override {
    std::vector<unsigned> ids;
    try {
      // RtAudio 5 numbers its devices 0 .. count - 1.
      for (unsigned i = 0, n = mAudio.getDeviceCount(); i < n; ++i) ids.push_back(i);
    } catch (const std::exception& e) {
      ErrorCallback(RtAudioError::WARNING, e.what());
    }
    return ids;
  }

  bool GetDeviceInfo(unsigned id, AudioDeviceInfo& info) override {
    try {
      RtAudio::DeviceInfo d = mAudio.getDeviceInfo(id);
      if (!d.probed) return false;
      info = {d.name, d.inputChannels, d.outputChannels, d.isDefaultInput, d.isDefaultOutput};
      return true;
    } catch (const std::exception& e) {
      ErrorCallback(RtAudioError::WARNING, e.what());
      return false;
    }
  }

  std::vector<unsigned> SampleRates(unsigned id) override {
    try {
      RtAudio::DeviceInfo d = mAudio.getDeviceInfo(id);
      if (d.probed) return d.sampleRates;
    } catch (const std::exception& e) {
      ErrorCallback(RtAudioError::WARNING, e.what());
    }
    return {};
  }

  bool OpenStream(const AudioStreamParams& output, const AudioStreamParams* input, unsigned sampleRate,
                  unsigned& bufferFrames, AudioStreamCallback callback, void* userData) override {
    RtAudio::StreamParameters out{output.deviceId, output.channels, output.firstChannel};
    RtAudio::StreamParameters in{};
    if (input) in = {input->deviceId, input->channels, input->firstChannel};
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    options.numberOfBuffers = 0;
    options.streamName = "Velmora";
    options.priority = 0;
    mCallback = callback;
    mUserData = userData;
    try {
      mAudio.openStream(&out, input ? &in : nullptr, RTAUDIO_FLOAT64, sampleRate, &bufferFrames, &RtAudioApi::Forward,
                        this, &options, &ErrorCallback);
      return true;
    } catch (const std::exception& e) {
      ErrorCallback(RtAudioError::SYSTEM_ERROR, e.what());
      return false;
    }
  }

  bool StartStream() override { return Guard([&] { mAudio.startStream(); }); }
  void AbortStream() override {
    Guard([&] {
      if (mAudio.isStreamRunning()) mAudio.abortStream();
    });
  }
  void CloseStream() override {
    Guard([&] {
      if (mAudio.isStreamOpen()) mAudio.closeStream();
    });
  }
  bool IsStreamOpen() override { return mAudio.isStreamOpen(); }
  bool IsStreamRunning() override { return mAudio.isStreamRunning(); }

private:
  template <typename F>
  bool Guard(F&& f) {
    try {
      f();
      return true;
    } catch (const std::exception& e) {
      ErrorCallback(RtAudioError::SYSTEM_ERROR, e.what());
      return false;
    }
  }

  static int Forward(void* output, void* input, unsigned frames, double, RtAudioStreamStatus, void* self) {
    auto* api = static_cast<RtAudioApi*>(self);
    return api->mCallback(static_cast<double*>(output), static_cast<double*>(input), frames, api->mUserData);
  }

  RtAudio mAudio;
  AudioStreamCallback mCallback = nullptr;
  void* mUserData = nullptr;
};

} // namespace

std::unique_ptr<IAudioApi> CreateRtAudioApi(int driverType) {
  RtAudio::Api api;
  switch (driverType) {
  case 0: api = RtAudio::LINUX_ALSA; break;
  case 1: api = RtAudio::UNIX_JACK; break;
  case 2: api = RtAudio::LINUX_PULSE; break;
  default: return nullptr;
  }
  try {
    return std::make_unique<RtAudioApi>(api);
  } catch (const std::exception& e) {
    ErrorCallback(RtAudioError::SYSTEM_ERROR, e.what());
    return nullptr;
  }
}

} // namespace vlm

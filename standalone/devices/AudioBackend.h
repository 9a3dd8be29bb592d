// The audio device operations the program needs, so that device flows run against RtAudio or a fake.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vlm {

struct AudioDeviceInfo {
  std::string name;
  unsigned inputChannels = 0;
  unsigned outputChannels = 0;
  bool isDefaultInput = false;
  bool isDefaultOutput = false;
};

struct AudioStreamParams {
  unsigned deviceId = 0;
  unsigned channels = 0;
  unsigned firstChannel = 0;
};

// Non-interleaved 64-bit float buffers; returns 0 to keep running.
using AudioStreamCallback = int (*)(double* output, double* input, unsigned frames, void* userData);

// No operation throws: failures come back as false (or an empty result) and are reported on stderr
// by the back end's own error path.
class IAudioApi {
public:
  virtual ~IAudioApi() = default;
  virtual std::vector<unsigned> DeviceIds() = 0;
  virtual bool GetDeviceInfo(unsigned id, AudioDeviceInfo& info) = 0;
  // The rates a device supports, in the back end's order; empty when it reports none.
  virtual std::vector<unsigned> SampleRates(unsigned) { return {}; }
  // input may be null (no input direction). bufferFrames is in/out: the device may change it.
  virtual bool OpenStream(const AudioStreamParams& output, const AudioStreamParams* input, unsigned sampleRate,
                          unsigned& bufferFrames, AudioStreamCallback callback, void* userData) = 0;
  virtual bool StartStream() = 0;
  virtual void AbortStream() = 0;
  virtual void CloseStream() = 0;
  virtual bool IsStreamOpen() = 0;
  virtual bool IsStreamRunning() = 0;
};

// 0 ALSA, 1 JACK, 2 PulseAudio; null for any other driver number or when the API cannot start.
std::unique_ptr<IAudioApi> CreateRtAudioApi(int driverType);

} // namespace vlm

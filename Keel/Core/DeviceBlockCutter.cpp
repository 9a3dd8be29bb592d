// Buffers and ramps of the device callback.
#include "Keel/Core/DeviceBlockCutter.h"

namespace keel {

void RampChannels(double* buffer, int channels, uint32_t frames, bool fadeOut) noexcept {
  if (!buffer || frames == 0) return;
  const double n = frames;
  for (int c = 0; c < channels; ++c) {
    double* ch = buffer + uint64_t(c) * frames;
    for (uint32_t j = 0; j < frames; ++j) ch[j] *= fadeOut ? (n - 1.0 - j) / n : j / n;
  }
}

void DeviceBlockCutter::Open(int inputChannels, int outputChannels) {
  mInputs = inputChannels;
  mOutputs = outputChannels;
  mUseFifo = false;
  mFifoPos = 0;
  // Sized for at least one channel so that an input-less processor still gets valid pointers.
  mInFifo.assign(uint64_t(kBlockFrames) * (inputChannels > 0 ? inputChannels : 1), 0.0);
  mOutFifo.assign(uint64_t(kBlockFrames) * (outputChannels > 0 ? outputChannels : 1), 0.0);
  mInPtrs.assign(inputChannels > 0 ? inputChannels : 1, nullptr);
  mOutPtrs.assign(outputChannels > 0 ? outputChannels : 1, nullptr);
}

} // namespace keel

// Cuts audio device buffers into 64-frame processing blocks, with the stream's fade-in and fade-out.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace keel {

// Per-stream flags shared by the UI thread (sets `ending`, polls `done`) and the audio thread.
struct DeviceStreamState {
  uint32_t frameCounter = 0;  // position within the current 64-frame block (audio thread)
  uint32_t firstCallback = 0; // 0 until the stream's first callback has run (audio thread)
  std::atomic<bool> ending{false};
  std::atomic<bool> done{false};

  // Called by the UI thread when a stream opens, before it starts.
  void ResetForOpen() {
    frameCounter = 0;
    firstCallback = 0;
    ending.store(false);
    done.store(false);
  }
};

// Scales each channel of a channel-major buffer by a linear ramp: j/n rising, (n-1-j)/n falling.
void RampChannels(double* buffer, int channels, uint32_t frames, bool fadeOut) noexcept;

// Threads: Open on the UI thread while the stream is stopped; Process on the audio thread.
// Device buffers are non-interleaved doubles (channel c at c * frames). Whole blocks inside a
// buffer are processed in place; a buffer that is not a multiple of 64 frames (or a stream whose
// block position drifted) goes through FIFOs allocated at Open, at one block of latency.
class DeviceBlockCutter {
public:
  static constexpr uint32_t kBlockFrames = 64;

  void Open(int inputChannels, int outputChannels);

  // runBlock(double** inputs, double** outputs) processes kBlockFrames frames. Returns 0.
  template <typename RunBlock>
  int Process(double* output, double* input, uint32_t frames, DeviceStreamState& state, RunBlock&& runBlock) noexcept;

private:
  template <typename RunBlock>
  void ProcessDirect(double* output, double* input, uint32_t frames, DeviceStreamState& state, RunBlock& runBlock) noexcept;
  template <typename RunBlock>
  void ProcessThroughFifo(double* output, const double* input, uint32_t frames, DeviceStreamState& state,
                          RunBlock& runBlock) noexcept;

  int mInputs = 0;
  int mOutputs = 0;
  bool mUseFifo = false;
  uint32_t mFifoPos = 0;
  std::vector<double> mInFifo, mOutFifo;
  std::vector<double*> mInPtrs, mOutPtrs;
};

template <typename RunBlock>
int DeviceBlockCutter::Process(double* output, double* input, uint32_t frames, DeviceStreamState& state,
                               RunBlock&& runBlock) noexcept {
  // The ending flag is read once, so that "done" is only ever reported for a buffer that faded out.
  const bool ending = state.ending.load(std::memory_order_acquire);
  const bool ramping = state.firstCallback == 0 || ending;
  if (state.done.load(std::memory_order_relaxed)) {
    for (uint64_t i = 0, n = uint64_t(frames) * mOutputs; i < n; ++i) output[i] = 0.0;
  } else {
    if (ramping && input) RampChannels(input, mInputs, frames, ending);
    // Once a buffer arrives that whole blocks cannot cover, the stream stays on the FIFO path so
    // that the block grid, and thus the latency, never jumps mid-stream.
    if (!mUseFifo && frames % kBlockFrames != 0) {
      mUseFifo = true;
      mFifoPos = 0;
    }
    if (mUseFifo)
      ProcessThroughFifo(output, input, frames, state, runBlock);
    else
      ProcessDirect(output, input, frames, state, runBlock);
    if (ramping) RampChannels(output, mOutputs, frames, ending);
    if (ending) state.done.store(true, std::memory_order_release);
  }
  state.firstCallback = 1;
  return 0;
}

template <typename RunBlock>
void DeviceBlockCutter::ProcessDirect(double* output, double* input, uint32_t frames, DeviceStreamState& state,
                                      RunBlock& runBlock) noexcept {
  for (uint32_t i = 0; i < frames; i += kBlockFrames) {
    for (int c = 0; c < mInputs; ++c) mInPtrs[c] = input ? input + uint64_t(c) * frames + i : mInFifo.data();
    for (int c = 0; c < mOutputs; ++c) mOutPtrs[c] = output + uint64_t(c) * frames + i;
    runBlock(mInPtrs.data(), mOutPtrs.data());
  }
  state.frameCounter = 0;
}

template <typename RunBlock>
void DeviceBlockCutter::ProcessThroughFifo(double* output, const double* input, uint32_t frames,
                                           DeviceStreamState& state, RunBlock& runBlock) noexcept {
  for (uint32_t i = 0; i < frames; ++i) {
    for (int c = 0; c < mInputs; ++c)
      mInFifo[uint64_t(c) * kBlockFrames + mFifoPos] = input ? input[uint64_t(c) * frames + i] : 0.0;
    for (int c = 0; c < mOutputs; ++c)
      output[uint64_t(c) * frames + i] = mOutFifo[uint64_t(c) * kBlockFrames + mFifoPos];
    if (++mFifoPos == kBlockFrames) {
      for (int c = 0; c < mInputs; ++c) mInPtrs[c] = mInFifo.data() + uint64_t(c) * kBlockFrames;
      for (int c = 0; c < mOutputs; ++c) mOutPtrs[c] = mOutFifo.data() + uint64_t(c) * kBlockFrames;
      runBlock(mInPtrs.data(), mOutPtrs.data());
      mFifoPos = 0;
    }
  }
  state.frameCounter = mFifoPos;
}

} // namespace keel

// The output mute ramp: fade out, hold silence, fade in, over a total length in samples.
#pragma once

#include <atomic>
#include <cstdint>

// The total and the remaining count live in one atomic word, so the audio thread never sees the one
// without the other, however an arming thread interleaves with it.
// Threads: Arm and Clear from any thread; Next on the audio thread.
class OutputMuteRamp {
public:
  // Starts a ramp of `samples` samples; nothing when samples < 1; a running ramp is lengthened, never
  // shortened.
  void Arm(int samples) noexcept;
  void Clear() noexcept { mState.store(0, std::memory_order_release); }

  // The factor (0..1) for this sample, then one step along the ramp.
  double Next() noexcept;

  // With q = max(1, total / 4): a fade out over q samples, silence, and a fade in over the last q.
  static double Factor(int total, int remaining) noexcept;

  int Total() const noexcept { return TotalOf(mState.load(std::memory_order_acquire)); }
  int Remaining() const noexcept { return RemainingOf(mState.load(std::memory_order_acquire)); }
  bool Running() const noexcept { return Remaining() > 0; }

private:
  static std::uint64_t Pack(int total, int remaining) noexcept {
    return (std::uint64_t{static_cast<std::uint32_t>(total)} << 32) | static_cast<std::uint32_t>(remaining);
  }
  static int TotalOf(std::uint64_t state) noexcept { return static_cast<std::int32_t>(state >> 32); }
  static int RemainingOf(std::uint64_t state) noexcept {
    return static_cast<std::int32_t>(state & 0xFFFFFFFFu);
  }

  std::atomic<std::uint64_t> mState{0};
};

// Output mute ramp: arming from any thread and the per-sample factor on the audio thread.
#include "processor/render/OutputMuteRamp.h"

#include <algorithm>

void OutputMuteRamp::Arm(int samples) noexcept {
  if (samples < 1)
    return;
  std::uint64_t state = mState.load(std::memory_order_acquire);
  while (RemainingOf(state) < samples)
    if (mState.compare_exchange_weak(state, Pack(samples, samples), std::memory_order_acq_rel,
                                     std::memory_order_acquire))
      return;
}

double OutputMuteRamp::Factor(int total, int remaining) noexcept {
  const int q = std::max(1, total / 4);
  const int elapsed = total - remaining;
  double e;
  if (elapsed < q)
    e = 1.0 - static_cast<double>(elapsed) / q;
  else if (elapsed < total - q)
    e = 0.0;
  else
    e = 1.0 - static_cast<double>(remaining) / q;
  return std::clamp(e, 0.0, 1.0);
}

double OutputMuteRamp::Next() noexcept {
  std::uint64_t state = mState.load(std::memory_order_acquire);
  for (;;) {
    const int remaining = RemainingOf(state);
    if (remaining <= 0)
      return 1.0;
    const int total = TotalOf(state);
    if (total <= 0) {
      if (mState.compare_exchange_weak(state, Pack(total, 0), std::memory_order_acq_rel,
                                       std::memory_order_acquire))
        return 1.0;
      continue;
    }
    const double e = Factor(total, remaining);
    // Another thread may re-arm in between; then the step is recomputed with its values.
    if (mState.compare_exchange_weak(state, Pack(total, remaining - 1), std::memory_order_acq_rel,
                                     std::memory_order_acquire))
      return e;
  }
}

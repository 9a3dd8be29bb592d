// Delay: time updates, crossfaded reads and processing.
#include "engine/fx/dynamics/Delay.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills SetParameter, SetTempo and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void Delay::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  // 2.5 s of line: room for "1/2" at 48 BPM and the 2000 ms free time.
  const double seconds = std::ceil(2.5 * mSampleRate);
  const std::size_t length = seconds < 64.0 ? 64 : static_cast<std::size_t>(seconds);
  for (auto& line : mLines)
    line.Resize(length);
  mCrossfadeLength = std::max(1, static_cast<int>(0.02 * mSampleRate));
  Reset();
}

void Delay::Reset() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mPreviousDelay = mCurrentDelay;
  mToneState[0] = mToneState[1] = 0.0;
  mCrossfadePos = mCrossfadeLength;
}

void Delay::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void Delay::SetTempo(double bpm) noexcept {
  if (bpm > 0.0)
    mTempo = bpm;
}

void Delay::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

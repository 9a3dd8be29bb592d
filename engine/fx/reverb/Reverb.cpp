// Reverb: parameter mapping, core crossfade and processing.
#include "engine/fx/reverb/Reverb.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The reverb task fills Prepare's coefficients, SetParameter and Process; until then the reverb
// passes audio unchanged.
void Reverb::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  mHall.Prepare(mSampleRate);
  mPlate.Prepare(mSampleRate);
  mRoom.Prepare(mSampleRate);
  Reset();
  for (int i = 0; i < kCores; ++i)
    mWeight[i] = mTargetWeight[i];
}

void Reverb::Reset() noexcept {
  mPreDelay.Clear();
  mPreLpState = 0.0;
  mToneState[0] = mToneState[1] = 0.0;
  mHall.Reset();
  mPlate.Reset();
  mRoom.Reset();
}

void Reverb::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void Reverb::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

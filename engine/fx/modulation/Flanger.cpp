// Flanger: parameter mapping, feedback filters and cubic-read processing.
#include "engine/fx/modulation/Flanger.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare, SetParameter and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void Flanger::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void Flanger::Reset() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mLastRead[0] = mLastRead[1] = 0.0;
  mHpPrevIn[0] = mHpPrevIn[1] = mHpPrevOut[0] = mHpPrevOut[1] = 0.0;
  mLowpass[0] = mLowpass[1] = 0.0;
}

void Flanger::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void Flanger::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

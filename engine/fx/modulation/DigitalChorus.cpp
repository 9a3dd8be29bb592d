// Digital chorus: voice rates, feedback filters and processing.
#include "engine/fx/modulation/DigitalChorus.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare, SetParameter and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void DigitalChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void DigitalChorus::Reset() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mHpPrevIn[0] = mHpPrevIn[1] = mHpPrevOut[0] = mHpPrevOut[1] = 0.0;
  mLowpass[0] = mLowpass[1] = 0.0;
}

void DigitalChorus::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void DigitalChorus::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

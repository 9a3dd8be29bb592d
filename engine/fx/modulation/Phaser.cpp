// Phaser: parameter mapping, allpass design and processing.
#include "engine/fx/modulation/Phaser.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare, SetParameter and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void Phaser::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void Phaser::Reset() noexcept {
  for (auto& chain : mChains)
    for (auto& section : chain)
      section = Section{};
  mLastOut[0] = mLastOut[1] = 0.0;
  mHpPrevIn[0] = mHpPrevIn[1] = mHpPrevOut[0] = mHpPrevOut[1] = 0.0;
  mLowpass[0] = mLowpass[1] = 0.0;
}

void Phaser::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void Phaser::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

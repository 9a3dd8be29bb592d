// Synth chorus: parameter mapping, model rows and processing.
#include "engine/fx/modulation/SynthChorus.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare, SetParameter and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void SynthChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void SynthChorus::Reset() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mInSmooth[0] = mInSmooth[1] = 0.0;
  mOutSmooth[0] = mOutSmooth[1] = 0.0;
  mLfoPhase = 0.0;
}

void SynthChorus::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void SynthChorus::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

// Studio chorus: mode table, compander and processing.
#include "engine/fx/modulation/StudioChorus.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare, SetParameter and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void StudioChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void StudioChorus::Reset() noexcept {
  for (auto& line : mLines)
    line = Line{};
  mLfoPhase = 0.0;
}

void StudioChorus::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void StudioChorus::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

// Three-band equalizer: band designs and processing.
#include "engine/fx/dynamics/EQ3Band.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare's designs, SetParameter and Process; until then the
// sections stay the identity and audio passes unchanged.
void EQ3Band::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void EQ3Band::Reset() noexcept {
  for (auto& s : mSections)
    for (int ch = 0; ch < 2; ++ch)
      s.x1[ch] = s.x2[ch] = s.y1[ch] = s.y2[ch] = 0.0;
}

void EQ3Band::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void EQ3Band::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

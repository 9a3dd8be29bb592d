// Pitch chorus: voice sizing, parameter mapping and processing.
#include "engine/fx/modulation/PitchChorus.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare, SetParameter and Process; until then the effect
// keeps its construction settings and passes audio unchanged.
void PitchChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  // Room for the longest delay and modulation plus two tap windows; only ever enlarged.
  const auto length = static_cast<std::size_t>(0.002 * mSampleRate) + static_cast<std::size_t>(0.5 * mSampleRate) + 4160;
  for (auto& voice : mVoices)
    if (voice.line.Length() < length)
      voice.line.Resize(length);
  Reset();
}

void PitchChorus::Reset() noexcept {
  for (auto& voice : mVoices) {
    voice.line.Clear();
    voice.lastOut = 0.0;
    voice.feedbackSmooth = 0.0;
  }
}

void PitchChorus::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void PitchChorus::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

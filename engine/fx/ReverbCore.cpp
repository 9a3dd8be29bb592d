// Reverb cores: the shared rate, decay, damping and diffusion settings.
#include "engine/fx/ReverbCore.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

namespace {

// Shortest decay time; it also keeps the gain's exponent finite.
constexpr double kMinT60 = 1e-6;

} // namespace

void ReverbCore::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Configure();
  UpdateGain();
  Reset();
}

void ReverbCore::UpdateGain() noexcept {
  mGain = std::clamp(std::pow(10.0, mLaw.exponent / mT60), mLaw.minGain, mLaw.maxGain);
}

void ReverbCore::SetDecay(double seconds) noexcept {
  // A NaN time gives the shortest time.
  mT60 = std::max(kMinT60, seconds * mLaw.timeScale);
  UpdateGain();
}

void ReverbCore::SetDamping(double amount) noexcept {
  mDamping = ClampUnit(amount);
  ApplyDamping();
}

void ReverbCore::SetDiffusion(double amount) noexcept {
  mDiffusion = ClampUnit(amount);
  ApplyDiffusion();
}

} // namespace vlm::dsp

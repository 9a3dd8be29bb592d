// Compressor: coefficients, gain computer and processing.
#include "engine/fx/dynamics/Compressor.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills Prepare's coefficients, SetParameter and Process; until then
// the effect passes audio unchanged.
void Compressor::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void Compressor::Reset() noexcept {
  mReductionDb = 0.0;
  mSlowReductionDb = 0.0;
  mOptoMemory = 0.0;
}

void Compressor::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void Compressor::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp

// Hall reverb core: line lengths, decay, damping and diffusion mappings, and processing.
#include "engine/fx/reverb/HallCore.h"

namespace vlm::dsp {

// The reverb task fills the mappings and Process; until then the core is silent.
void HallCore::Prepare(double sampleRate) {
  mSampleRate = sampleRate > 0.0 ? sampleRate : 48000.0;
  Reset();
}

void HallCore::SetDecay(double seconds) noexcept {
  mT60 = seconds;
}

void HallCore::SetDamping(double amount) noexcept {
  (void)amount;
}

void HallCore::SetDiffusion(double amount) noexcept {
  mDiffusion = amount;
}

void HallCore::Process(double input, double* left, double* right) noexcept {
  (void)input;
  *left = 0.0;
  *right = 0.0;
}

void HallCore::Reset() noexcept {
  for (auto& line : mAllpass)
    line.Clear();
  for (auto& line : mLine)
    line.Clear();
  for (double& s : mDampState)
    s = 0.0;
  mLowCutState[0] = mLowCutState[1] = 0.0;
}

} // namespace vlm::dsp

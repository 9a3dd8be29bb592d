// Plate reverb core: line lengths, decay, damping and diffusion mappings, and processing.
#include "engine/fx/reverb/PlateCore.h"

namespace vlm::dsp {

// The reverb task fills the mappings and Process; until then the core is silent.
void PlateCore::Prepare(double sampleRate) {
  mSampleRate = sampleRate > 0.0 ? sampleRate : 48000.0;
  Reset();
}

void PlateCore::SetDecay(double seconds) noexcept {
  mT60 = seconds;
}

void PlateCore::SetDamping(double amount) noexcept {
  (void)amount;
}

void PlateCore::SetDiffusion(double amount) noexcept {
  mDiffusion = amount;
}

void PlateCore::Process(double input, double* left, double* right) noexcept {
  (void)input;
  *left = 0.0;
  *right = 0.0;
}

void PlateCore::Reset() noexcept {
  for (auto& line : mInput)
    line.Clear();
  for (auto& half : mHalf) {
    half.modAllpass.Clear();
    half.delay1.Clear();
    half.allpass.Clear();
    half.delay2.Clear();
    half.damp = 0.0;
    half.output = 0.0;
  }
}

} // namespace vlm::dsp

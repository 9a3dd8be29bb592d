// Room reverb core: line lengths, decay, damping and diffusion mappings, and processing.
#include "engine/fx/reverb/RoomCore.h"

namespace vlm::dsp {

// The reverb task fills the mappings and Process; until then the core is silent.
void RoomCore::Prepare(double sampleRate) {
  mSampleRate = sampleRate > 0.0 ? sampleRate : 48000.0;
  Reset();
}

void RoomCore::SetDecay(double seconds) noexcept {
  mT60 = seconds;
}

void RoomCore::SetDamping(double amount) noexcept {
  (void)amount;
}

void RoomCore::SetDiffusion(double amount) noexcept {
  mDiffusion = amount;
}

void RoomCore::Process(double input, double* left, double* right) noexcept {
  (void)input;
  *left = 0.0;
  *right = 0.0;
}

void RoomCore::Reset() noexcept {
  for (auto& line : mAllpass)
    line.Clear();
  mEarly.Clear();
  for (auto& line : mLine)
    line.Clear();
  for (double& s : mDampState)
    s = 0.0;
  mEarlyLpState[0] = mEarlyLpState[1] = 0.0;
}

} // namespace vlm::dsp

// One-pole high-pass: coefficient from the cutoff, held between 1 Hz and 0.49 x rate.
#include "engine/filter/Hpf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/util/MathUtil.h"

void Hpf::Prepare(double sampleRate) noexcept {
  mSampleRate = ValidRate(sampleRate);
  UpdateCoefficient();
  Reset();
}

void Hpf::SetCutoff(double hz) noexcept {
  mCutoffHz = hz >= 1.0 ? std::min(hz, 0.49 * mSampleRate) : 1.0;
  UpdateCoefficient();
}

void Hpf::UpdateCoefficient() noexcept {
  mCoefficient = std::exp(-2.0 * std::numbers::pi * mCutoffHz / mSampleRate);
}

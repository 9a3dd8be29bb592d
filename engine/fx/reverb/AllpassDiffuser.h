// Input diffusion of the hall and the room: a chain of Schroeder allpasses scaled by the diffusion setting.
#pragma once

#include <cstddef>

#include "engine/fx/DelayLine.h"
#include "engine/fx/reverb/ReverbMath.h"

namespace vlm::dsp::reverb {

template <int kCount, std::size_t kCapacity> class AllpassDiffuser {
public:
  // Lengths for the rate, each held within 1..maxSamples.
  void SetLengths(const double (&seconds)[kCount], double rate, int maxSamples) noexcept {
    for (int k = 0; k < kCount; ++k)
      mLength[k] = LengthSamples(seconds[k], rate, maxSamples);
  }
  // Each coefficient is the diffusion (0..1) times its scale.
  void SetDiffusion(double diffusion, const double (&scale)[kCount]) noexcept {
    for (int k = 0; k < kCount; ++k)
      mCoef[k] = diffusion * scale[k];
  }
  double Process(double x) noexcept {
    for (int k = 0; k < kCount; ++k) {
      x = Allpass(mLine[k], mLength[k], mCoef[k], x);
      mLine[k].Advance();
    }
    return x;
  }
  void Clear() noexcept {
    for (auto& line : mLine)
      line.Clear();
  }
  int Length(int k) const noexcept { return mLength[k]; }
  double Coef(int k) const noexcept { return mCoef[k]; }

private:
  FixedDelayLine<kCapacity> mLine[kCount];
  int mLength[kCount] = {};
  double mCoef[kCount] = {};
};

} // namespace vlm::dsp::reverb

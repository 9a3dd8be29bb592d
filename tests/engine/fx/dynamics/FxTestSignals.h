// Test signals and runners shared by the effect tests (dynamics, delay, reverb, modulation).
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/fx/EffectBase.h"

namespace vlm::dsp::test {

struct Stereo {
  std::vector<double> left;
  std::vector<double> right;
};

// Deterministic white noise in -0.5..0.5.
class Noise {
public:
  double Next() {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return static_cast<double>(mState) / 4294967296.0 - 0.5;
  }

private:
  std::uint32_t mState = 0x1234567u;
};

// An impulse of `left` / `right` at sample 0, then silence.
inline Stereo Impulse(EffectBase& fx, int frames, double left = 1.0, double right = 1.0) {
  Stereo out;
  out.left.reserve(frames);
  out.right.reserve(frames);
  for (int n = 0; n < frames; ++n) {
    double l = n == 0 ? left : 0.0;
    double r = n == 0 ? right : 0.0;
    fx.Process(l, r);
    out.left.push_back(l);
    out.right.push_back(r);
  }
  return out;
}

// Indices of the samples whose magnitude is above `floor`.
inline std::vector<int> Above(const std::vector<double>& x, double floor) {
  std::vector<int> at;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > floor)
      at.push_back(static_cast<int>(i));
  return at;
}

} // namespace vlm::dsp::test

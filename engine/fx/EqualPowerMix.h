// Equal-power wet/dry mix of the delay, the reverb and the pitch chorus, and the widened wet pair's mix-in.
#pragma once

#include <cmath>

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

class EqualPowerMix {
public:
  // Mix 0..1: dry gain cos, wet gain sin of mix x pi/2.
  void Set(double mix) noexcept {
    mMix = mix;
    const double angle = mix * kPi / 2.0;
    mDry = std::cos(angle);
    mWet = std::sin(angle);
  }
  double Mix() const noexcept { return mMix; }
  double Dry() const noexcept { return mDry; }
  double Wet() const noexcept { return mWet; }

  // The wet pair spread by `width` around its mid and mixed into the dry pair in place. Mix 0 leaves the
  // dry signal exactly (dry gain 1).
  void MixWidened(double wetL, double wetR, double width, double& left, double& right) const noexcept {
    if (mWet == 0.0)
      return;
    const double mid = (wetL + wetR) * 0.5;
    const double side = (wetL - wetR) * 0.5 * width;
    left = (mid + side) * mWet + left * mDry;
    right = (mid - side) * mWet + right * mDry;
  }

private:
  double mMix = 0.0;
  double mDry = 1.0;
  double mWet = 0.0;
};

} // namespace vlm::dsp

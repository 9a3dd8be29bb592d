// The filtered feedback of the flanger, the phaser and the digital chorus, per channel: a DC-blocking
// high-pass, a one-pole low-pass, then the amount through the engine's tanh, so high feedback saturates.
#pragma once

#include "engine/filter/FastTanh.h"
#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

class FeedbackFilter {
public:
  void Prepare(double highpassHz, double lowpassHz, double sampleRate) noexcept {
    mHighpassCoef = DcBlockCoef(highpassHz, sampleRate);
    mLowpassCoef = OnePoleCoef(lowpassHz, sampleRate);
  }
  void Clear() noexcept {
    mHpPrevIn[0] = mHpPrevIn[1] = mHpPrevOut[0] = mHpPrevOut[1] = 0.0;
    mLowpass[0] = mLowpass[1] = 0.0;
  }
  // The signal channel `ch` feeds back for `x`, scaled by `amount`.
  double Process(int ch, double x, double amount) noexcept {
    const double hp = DcBlock(x, mHighpassCoef, mHpPrevIn[ch], mHpPrevOut[ch]);
    mLowpass[ch] += (hp - mLowpass[ch]) * mLowpassCoef;
    return FastTanh(mLowpass[ch] * amount);
  }

private:
  double mHighpassCoef = 0.0;
  double mLowpassCoef = 1.0;
  double mHpPrevIn[2] = {0.0, 0.0};
  double mHpPrevOut[2] = {0.0, 0.0};
  double mLowpass[2] = {0.0, 0.0};
};

} // namespace vlm::dsp

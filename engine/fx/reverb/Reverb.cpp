// Reverb: parameter mapping, core crossfade and processing.
#include "engine/fx/reverb/Reverb.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/EffectMath.h"
#include "engine/fx/OnePole.h"

namespace vlm::dsp {

namespace {

constexpr double kMaxPreDelaySamples = 65532.0;
constexpr double kMaxPreDelayMs = 200.0;
// Keeps the cores' input free of the top octave, which would only make the tail hiss.
constexpr double kPreLowpassHz = 9000.0;
constexpr double kCrossfadeSeconds = 0.05;

double PreDelayFor(double ms, double rate) noexcept {
  return std::min(kMaxPreDelaySamples, ms * rate / 1000.0);
}

} // namespace

Reverb::Reverb() noexcept {
  UpdateRateValues();
}

void Reverb::UpdateRateValues() noexcept {
  mPreLpCoef = OnePoleCoef(kPreLowpassHz, mSampleRate);
  mWeightStep = 1.0 / std::max(1.0, std::round(kCrossfadeSeconds * mSampleRate));
  // Pre-delay and tone follow the rate instead of keeping samples and coefficients of the old one.
  mPreDelaySamples = PreDelayFor(mPreDelayMs, mSampleRate);
  mToneCoef = ToneCoefFor(mToneHz, mSampleRate);
}

void Reverb::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  UpdateRateValues();
  mHall.Prepare(mSampleRate);
  mPlate.Prepare(mSampleRate);
  mRoom.Prepare(mSampleRate);
  ClearState();
  for (int i = 0; i < kCores; ++i)
    mWeight[i] = mTargetWeight[i];
}

void Reverb::ClearState() noexcept {
  mPreDelay.Clear();
  mPreLpState = 0.0;
  mToneState[0] = mToneState[1] = 0.0;
}

void Reverb::Reset() noexcept {
  ClearState();
  mHall.Reset();
  mPlate.Reset();
  mRoom.Reset();
}

void Reverb::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0: {
    const int mode = std::clamp(RoundHalfAway(2.0 * v), 0, kCores - 1);
    if (mode == mMode)
      break;
    // A core that has faded out starts silent; one still fading out keeps its tail.
    if (mWeight[mode] <= 0.0) {
      if (mode == 0)
        mHall.Reset();
      else if (mode == 1)
        mPlate.Reset();
      else
        mRoom.Reset();
    }
    mMode = mode;
    for (int i = 0; i < kCores; ++i)
      mTargetWeight[i] = i == mode ? 1.0 : 0.0;
    break;
  }
  case 1:
    mPreDelayMs = v * kMaxPreDelayMs;
    mPreDelaySamples = PreDelayFor(mPreDelayMs, mSampleRate);
    break;
  case 2: {
    const double seconds = 0.3 * std::pow(100.0 / 3.0, v);
    mHall.SetDecay(seconds);
    mPlate.SetDecay(seconds);
    mRoom.SetDecay(seconds);
    break;
  }
  case 3:
    mHall.SetDamping(v);
    mPlate.SetDamping(v);
    mRoom.SetDamping(v);
    break;
  case 4:
    mHall.SetDiffusion(v);
    mPlate.SetDiffusion(v);
    mRoom.SetDiffusion(v);
    break;
  case 5:
    mToneHz = 1000.0 * std::pow(16.0, v);
    mToneCoef = ToneCoefFor(mToneHz, mSampleRate);
    break;
  case 6:
    mWidth = 2.0 * v;
    break;
  case 7:
    mMix.Set(v);
    break;
  default:
    break;
  }
}

void Reverb::Process(double& left, double& right) noexcept {
  mPreDelay.Write((left + right) * 0.5);
  const double pre = mPreDelay.ReadLinear(mPreDelaySamples);
  mPreDelay.Advance();
  const double e = OnePole(pre, mPreLpCoef, mPreLpState);

  // Only cores that are sounding or fading in run (direct calls: the cores are final classes).
  double out[kCores][2] = {};
  if (mWeight[0] > 0.0 || mTargetWeight[0] > 0.0)
    mHall.Process(e, &out[0][0], &out[0][1]);
  if (mWeight[1] > 0.0 || mTargetWeight[1] > 0.0)
    mPlate.Process(e, &out[1][0], &out[1][1]);
  if (mWeight[2] > 0.0 || mTargetWeight[2] > 0.0)
    mRoom.Process(e, &out[2][0], &out[2][1]);

  double tL = 0.0;
  double tR = 0.0;
  for (int i = 0; i < kCores; ++i) {
    const double w = mWeight[i];
    const double target = mTargetWeight[i];
    mWeight[i] = w < target ? std::min(target, w + mWeightStep) : std::max(target, w - mWeightStep);
    tL += mWeight[i] * out[i][0];
    tR += mWeight[i] * out[i][1];
  }

  OnePole(tL, mToneCoef, mToneState[0]);
  OnePole(tR, mToneCoef, mToneState[1]);
  mMix.MixWidened(mToneState[0], mToneState[1], mWidth, left, right);
}

} // namespace vlm::dsp

// Digital chorus: voice rates, feedback filters and processing.
#include "engine/fx/modulation/DigitalChorus.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

namespace {

constexpr double kBaseDelaySeconds = 0.007;
constexpr double kMaxBaseDelaySamples = 4096.0;
constexpr double kFeedbackHighpassHz = 100.0;
constexpr double kFeedbackLowpassHz = 9000.0;
// Each voice's rate is spread by up to +-5 % at full detune.
constexpr double kDetuneSpread = 0.05;

} // namespace

void DigitalChorus::UpdateVoiceIncrements() noexcept {
  for (int k = 0; k < kMaxVoices; ++k) {
    double hz = mRateHz;
    if (mVoices >= 2 && k < mVoices)
      hz = mRateHz * (1.0 + (2.0 * k / (mVoices - 1) - 1.0) * mDetune * kDetuneSpread);
    mVoiceIncrement[k] = PhaseIncrement(hz, mSampleRate);
  }
}

void DigitalChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  mBaseDelaySamples = std::min(kMaxBaseDelaySamples, kBaseDelaySeconds * mSampleRate);
  mFeedbackFilter.Prepare(kFeedbackHighpassHz, kFeedbackLowpassHz, mSampleRate);
  UpdateVoiceIncrements();
  Reset();
}

void DigitalChorus::Reset() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mFeedbackFilter.Clear();
  for (int k = 0; k < kMaxVoices; ++k)
    mVoicePhase[k] = mVoices >= 2 ? std::fmod(kTwoPi * k / mVoices, kTwoPi) : 0.0;
}

void DigitalChorus::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mRateHz = 0.05 * std::pow(120.0, v);
    UpdateVoiceIncrements();
    break;
  case 1: {
    const double room = static_cast<double>(kLineLength) - mBaseDelaySamples - 4.0;
    mDepthSamples = std::max(0.0, std::min(v * 0.015 * mSampleRate, room));
    break;
  }
  case 2:
    mWidth = 2.0 * v;
    break;
  case 3:
    mFeedback = 0.7 * v;
    break;
  case 4:
    mMix = v;
    break;
  case 5:
    mVoices = std::clamp(RoundHalfAway(3.0 * v) + 1, 1, kMaxVoices);
    UpdateVoiceIncrements();
    break;
  case 6:
    mDetune = v;
    UpdateVoiceIncrements();
    break;
  default:
    break;
  }
}

void DigitalChorus::Process(double& left, double& right) noexcept {
  double sumL = 0.0;
  double sumR = 0.0;
  const double halfDepth = mDepthSamples * 0.5;
  for (int k = 0; k < mVoices; ++k) {
    const double s = std::sin(mVoicePhase[k]);
    const double sOpposite = std::sin(mVoicePhase[k] + kPi);
    mVoicePhase[k] = AdvancePhase(mVoicePhase[k], mVoiceIncrement[k]);
    sumL += mLines[0].ReadLinear(std::max(1.0, (s + 1.0) * halfDepth + mBaseDelaySamples));
    sumR += mLines[1].ReadLinear(std::max(1.0, (sOpposite + 1.0) * halfDepth + mBaseDelaySamples));
  }
  double wetL = sumL, wetR = sumR, fbL = sumL, fbR = sumR;
  if (mVoices >= 2) {
    const double n = static_cast<double>(mVoices);
    const double root = std::sqrt(n);
    wetL = sumL / root;
    wetR = sumR / root;
    fbL = sumL / n;
    fbR = sumR / n;
  }

  const double fb[2] = {fbL, fbR};
  const double in[2] = {left, right};
  for (int ch = 0; ch < 2; ++ch) {
    mLines[ch].Write(mFeedbackFilter.Process(ch, fb[ch], mFeedback) + in[ch]);
    mLines[ch].Advance();
  }

  const double side = (wetL - wetR) * 0.5 * mWidth;
  const double mid = (wetL + wetR) * 0.5;
  left = (mid + side) * mMix + (1.0 - mMix) * left;
  right = (mid - side) * mMix + (1.0 - mMix) * right;
}

} // namespace vlm::dsp

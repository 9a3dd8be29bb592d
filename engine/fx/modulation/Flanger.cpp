// Flanger: parameter mapping, filtered feedback, cubic reads and the through-zero reference.
#include "engine/fx/modulation/Flanger.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

namespace {

constexpr double kDefaultRateHz = 0.3;
constexpr double kFeedbackHighpassHz = 100.0;
constexpr double kFeedbackLowpassHz = 9000.0;
// Cubic reads need one sample on the near side and two beyond; stay clear of the write position.
constexpr double kMinDelay = 2.0;
constexpr double kMaxDelay = 16380.0;

} // namespace

void Flanger::ClearState() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mLastRead[0] = mLastRead[1] = 0.0;
  mFeedbackFilter.Clear();
  mLfo.Restart();
}

void Flanger::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  mLfo.SetDefaultRate(kDefaultRateHz, mSampleRate);
  mManualSamples = mManualMs * mSampleRate / 1000.0;
  mFeedbackFilter.Prepare(kFeedbackHighpassHz, kFeedbackLowpassHz, mSampleRate);
  ClearState();
}

void Flanger::Reset() noexcept {
  mLfo.SetDefaultRate(kDefaultRateHz, mSampleRate);
  mManualSamples = mManualMs * mSampleRate / 1000.0;
  ClearState();
}

void Flanger::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mLfo.SetRate(0.05 * std::pow(160.0, v), mSampleRate);
    break;
  case 1:
    mDepth = 2.0 * v;
    break;
  case 2:
    mFeedback = 0.97 * v;
    break;
  case 3:
    mManualMs = 0.5 * std::pow(24.0, v);
    mManualSamples = mManualMs * mSampleRate / 1000.0;
    break;
  case 4:
    mLfo.SetStereo(RoundHalfAway(v) > 0);
    break;
  case 5:
    mMix = v;
    break;
  case 6:
    mColour = v >= 0.5 ? -1.0 : 1.0;
    break;
  case 7:
    mThroughZero = v >= 0.5;
    break;
  default:
    break;
  }
}

void Flanger::Process(double& left, double& right) noexcept {
  double delay[2];
  for (int ch = 0; ch < 2; ++ch) {
    delay[ch] =
        delay_read::HoldDelay(std::exp2(mLfo.TriOf(ch) * mDepth) * mManualSamples, kMinDelay, kMaxDelay);
    mLfo.Advance(ch);
  }

  const double in[2] = {left, right};
  for (int ch = 0; ch < 2; ++ch)
    mLines[ch].Write(mFeedbackFilter.Process(ch, mLastRead[ch], mFeedback) * mColour + in[ch]);

  const double l = mLines[0].ReadCubic(delay[0]);
  const double r = mLines[1].ReadCubic(delay[1]);
  mLastRead[0] = l;
  mLastRead[1] = r;
  double a = left;
  double b = right;
  if (mThroughZero) {
    // The reference taps sit at the manual delay, so the sweep passes through zero against them.
    const double manual = delay_read::HoldDelay(mManualSamples, kMinDelay, kMaxDelay);
    a = mLines[0].ReadCubic(manual);
    b = mLines[1].ReadCubic(manual);
  }
  mLines[0].Advance();
  mLines[1].Advance();

  left = (mColour * l + a) * 0.5 * mMix + (1.0 - mMix) * left;
  right = (mColour * r + b) * 0.5 * mMix + (1.0 - mMix) * right;
}

} // namespace vlm::dsp

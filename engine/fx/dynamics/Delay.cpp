// Delay: time updates, crossfaded reads and processing.
#include "engine/fx/dynamics/Delay.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/EffectMath.h"
#include "engine/fx/NoteDivision.h"
#include "engine/fx/OnePole.h"

namespace vlm::dsp {

namespace {

// 2.5 s of line: room for "1/2" down to 48 BPM and for the 2000 ms free time.
constexpr double kLineSeconds = 2.5;
constexpr std::size_t kMinLineLength = 64;
// Time changes fade between the old and the new read position over 20 ms.
constexpr double kCrossfadeSeconds = 0.02;
constexpr double kDefaultTempo = 120.0;

} // namespace

void Delay::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  const double samples = std::ceil(kLineSeconds * mSampleRate);
  const std::size_t length =
      samples < static_cast<double>(kMinLineLength) ? kMinLineLength : static_cast<std::size_t>(samples);
  for (auto& line : mLines)
    line.Resize(length);
  mCrossfadeLength = std::max(1, static_cast<int>(kCrossfadeSeconds * mSampleRate));
  UpdateTime(false);
  // The tone setting survives a new rate: its coefficient is re-derived, not dropped.
  mToneCoef = ToneCoefFor(mToneHz, mSampleRate);
  Reset();
}

void Delay::Reset() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mPreviousDelay = mCurrentDelay;
  mToneState[0] = mToneState[1] = 0.0;
  mCrossfadePos = mCrossfadeLength;
}

void Delay::UpdateTime(bool crossfade) noexcept {
  const double tempo = mTempo > 0.0 ? mTempo : kDefaultTempo;
  const double seconds =
      mMode == 1 ? mFreeMs / 1000.0 : 60.0 / tempo * kNoteDivisionBeats[static_cast<std::size_t>(mDivision)];
  const std::size_t length = mLines[0].Length();
  // The linear read needs the sample beyond the delay; keep a few samples clear of the write slot.
  const double hi = length < 5 ? 1.0 : static_cast<double>(length - 4);
  const double samples = delay_read::HoldDelay(seconds * mSampleRate, 1.0, hi);
  if (crossfade && mCrossfadeLength > 0) {
    if (std::fabs(samples - mCurrentDelay) < 1.0)
      return;
    mPreviousDelay = mCurrentDelay;
    mCurrentDelay = samples;
    mCrossfadePos = 0;
  } else {
    mCurrentDelay = mPreviousDelay = samples;
    mCrossfadePos = mCrossfadeLength;
  }
}

void Delay::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mMode = RoundHalfAway(v) > 0 ? 1 : 0;
    UpdateTime(true);
    break;
  case 1:
    mDivision = std::clamp(RoundHalfAway(11.0 * v), 0, kNoteDivisionCount - 1);
    if (mMode == 0)
      UpdateTime(true);
    break;
  case 2:
    mFreeMs = std::pow(2000.0, v);
    if (mMode == 1)
      UpdateTime(true);
    break;
  case 3:
    mPingPong = RoundHalfAway(v) > 0 ? 1 : 0;
    break;
  case 4:
    mFeedback = 0.95 * v;
    break;
  case 5:
    mToneHz = 500.0 * std::pow(36.0, v);
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

void Delay::SetTempo(double bpm) noexcept {
  if (!(bpm > 0.0) || std::fabs(bpm - mTempo) <= 1e-6)
    return;
  mTempo = bpm;
  if (mMode == 0)
    UpdateTime(true);
}

double Delay::ReadDelayed(const HeapDelayLine& line) const noexcept {
  if (mCrossfadePos >= mCrossfadeLength)
    return line.ReadLinear(mCurrentDelay);
  const double angle =
      static_cast<double>(mCrossfadePos) / static_cast<double>(mCrossfadeLength) * (kPi / 2.0);
  return std::cos(angle) * line.ReadLinear(mPreviousDelay) + std::sin(angle) * line.ReadLinear(mCurrentDelay);
}

void Delay::Process(double& left, double& right) noexcept {
  if (mLines[0].Length() == 0)
    return;
  const double hL = ReadDelayed(mLines[0]);
  const double hR = ReadDelayed(mLines[1]);
  if (mCrossfadePos < mCrossfadeLength)
    ++mCrossfadePos;

  // Flushed so fading repeats end in zeros rather than subnormal numbers.
  OnePole(hL, mToneCoef, mToneState[0]);
  OnePole(hR, mToneCoef, mToneState[1]);
  const double m = (left + right) * 0.5;
  if (mPingPong != 0) {
    mLines[0].Write(m + mToneState[1] * mFeedback);
    mLines[1].Write(mToneState[0] * mFeedback);
  } else {
    mLines[0].Write(m + mToneState[0] * mFeedback);
    mLines[1].Write(m + mToneState[1] * mFeedback);
  }
  mLines[0].Advance();
  mLines[1].Advance();

  // The wet signal takes the unfiltered reads; the tone filter only shapes the repeats.
  mMix.MixWidened(hL, hR, mWidth, left, right);
}

} // namespace vlm::dsp

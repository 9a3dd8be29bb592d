// Coloured noise source: three LFSRs, flutter envelope, shaping shelves, rumble and output smoothing.
#include "engine/oscillator/NoiseSource.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "engine/util/MathUtil.h"

namespace {

// One-pole smoothing coefficient dt / (dt + 1 / (2 pi fc)).
double OnePole(double sampleRate, double hz) noexcept {
  const double dt = 1.0 / sampleRate;
  return dt / (dt + 1.0 / (2.0 * std::numbers::pi * hz));
}

constexpr double kTwoPowMinus31 = 1.0 / 2147483648.0;
constexpr double kTwoPowMinus23 = 1.0 / 8388608.0;

} // namespace

NoiseSource::NoiseSource()
    : mFlutterCoefficient(OnePole(48000.0, 1000.0)), mOutputCoefficient(OnePole(48000.0, 1e6)) {}

void NoiseSource::Prepare(double sampleRate) noexcept {
  const double rate = ValidRate(sampleRate);
  mSampleRate = rate;
  mClockIncrement = 1.0;
  // Scaled with the square root of the rate so the noise density stays the same at every rate.
  mGain = 0.632 * std::sqrt(rate / 96000.0);
  mFlutterIncrement = kFlutterClockHz / rate;
  mRumbleIncrement = kRumbleClockHz / rate;
  mFlutterCoefficient = OnePole(rate, 1000.0);
  mOutputCoefficient = OnePole(rate, 1e6);
  mShape[0].DesignLowShelf(rate, 62.0, 10.7, 0.94);
  mShape[1].DesignHighShelf(rate, 14678.61, -7.91, 0.799);
  mShape[2].DesignHighShelf(rate, 2931.0, -15.6, 0.53);
  mRumbleFilter[0].DesignLowPass(rate, 35.0, 5.0);
  mRumbleFilter[1].DesignPeaking(rate, 55.0, -3.0, 2.0);
  Reset();
}

void NoiseSource::Reset() noexcept {
  mClockPhase = 0.0;
  mWhiteValue = 0.0;
  mFlutterPhase = 0.0;
  mFlutterDepth = 0.5;
  mFlutterEnvelope = 0.0;
  mRumblePhase = 0.0;
  mRumbleValue = 0.0;
  mOutput = 0.0;
  for (Biquad& f : mShape)
    f.Reset();
  for (Biquad& f : mRumbleFilter)
    f.Reset();
}

double NoiseSource::RenderSample() noexcept {
  mClockPhase += mClockIncrement;
  while (mClockPhase >= 1.0) {
    mClockPhase -= 1.0;
    mWhite = StepWhite(mWhite);
  }
  mWhiteValue = static_cast<double>(static_cast<std::int32_t>(mWhite)) * kTwoPowMinus31;

  mFlutterPhase += mFlutterIncrement;
  while (mFlutterPhase >= 1.0) {
    mFlutterPhase -= 1.0;
    mFlutter = StepFlutter(mFlutter);
    const int r = static_cast<std::int8_t>(mFlutter);
    mFlutterDepth = std::abs(r) / 128.0 * 0.4 + 0.6;
  }
  const double target =
      0.5 + (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * mFlutterPhase)) * 0.5 * mFlutterDepth;
  mFlutterEnvelope += (target - mFlutterEnvelope) * mFlutterCoefficient;

  double w = mWhiteValue * mFlutterEnvelope * mGain;
  for (Biquad& f : mShape)
    w = f.Process(w);

  mRumblePhase += mRumbleIncrement;
  while (mRumblePhase >= 1.0) {
    mRumblePhase -= 1.0;
    mRumble = StepRumble(mRumble);
    mRumbleValue = (static_cast<double>(mRumble & 0xFFFFFFu) - 8388608.0) * kTwoPowMinus23;
  }
  double r = mRumbleValue;
  for (Biquad& f : mRumbleFilter)
    r = f.Process(r);

  mOutput += (w + 0.082 * r - mOutput) * mOutputCoefficient;
  return mOutput;
}

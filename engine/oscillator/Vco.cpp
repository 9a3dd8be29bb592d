// Vco: band-limited waveforms, sync correction and transient, phase advance.
#include "engine/oscillator/Vco.h"

#include <cmath>

#include "engine/oscillator/PolyBlep.h"
#include "engine/util/MathUtil.h"

Vco::Vco() = default;

void Vco::Prepare(double sampleRate) noexcept {
  const double rate = ValidRate(sampleRate);
  const double hz = HoldWithin(mSampleRate * mIncrement, -0.5 * rate, 0.5 * rate);
  mSampleRate = rate;
  mRateInverse = 1.0 / rate;
  mIncrement = hz / rate;
  // The transient lasts the same time at every rate: 4 samples at 96 kHz.
  mSyncTau = 4.0 * rate / 96000.0;
  mNoise.Prepare(rate);
  Reset();
}

void Vco::Reset() noexcept {
  mPhase = 0.0;
  mPreviousPhase = 0.0;
  mLastOutput = 0.0;
  mSyncValue = 0.0;
  mWrapped = 0;
  mSyncPending = 0;
  mSyncCounter = kSyncTransientRest;
  mNoise.Reset();
}

void Vco::SetPhase(double phase) noexcept {
  mPhase = std::isfinite(phase) ? WrapPhase(phase) : 0.0;
}

double Vco::EndValue() const noexcept {
  switch (mWaveform) {
  case kSawtooth:
    return 1.0;
  case kNoise:
    return mLastOutput;
  case kTriangle:
  case kPulse:
  case kSquare:
    return -1.0;
  default:
    return 0.0;
  }
}

double Vco::NaiveValue(double p) const noexcept {
  switch (mWaveform) {
  case kTriangle:
    return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
  case kSawtooth:
    return 2.0 * p - 1.0;
  case kPulse:
    return p < mPulseWidth ? 1.0 : -1.0;
  case kSquare:
    return p < 0.5 ? 1.0 : -1.0;
  case kNoise:
    return mLastOutput;
  default:
    return 0.0;
  }
}

void Vco::HardSync(double fraction) noexcept {
  const double q = WrapPhase(mPreviousPhase + (1.0 - fraction) * mIncrement);
  mSyncValue = NaiveValue(q);
  mPhase = WrapPhase(fraction * mIncrement);
  mSyncCounter = 0.0;
  mSyncPending = 1;
}

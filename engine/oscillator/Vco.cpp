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

void Vco::SetFrequency(double hz) noexcept {
  const double half = 0.5 * mSampleRate;
  mIncrement = (hz == hz ? HoldWithin(hz, -half, half) : 0.0) / mSampleRate;
}

void Vco::SetPulseWidth(double width) noexcept {
  mPulseWidth = HoldWithin(width, 0.0, 1.0);
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

double Vco::Triangle(double p, double dt) noexcept {
  double v = p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
  if (dt > 0.0) {
    // The slope changes by 8 per cycle at each corner: peak at 0.5, trough at 0.
    const double e = 8.0 * dt;
    const double c = (p - 0.5) / dt;
    if (c > -1.0 && c < 1.0)
      v -= PolyBlamp(c) * e;
    if (p < dt)
      v += PolyBlamp(p / dt) * e;
    else if (p > 1.0 - dt)
      v += PolyBlamp((p - 1.0) / dt) * e;
  }
  mColouring.Update(mIncrement);
  if (mColouring.Active())
    v += mColouring.Evaluate(p);
  return v;
}

double Vco::Pulse(double p, double dt, double width) const noexcept {
  const double rise = PolyBlep(p, dt);
  double d = p - width;
  if (d < 0.0)
    d += 1.0;
  const double fall = PolyBlep(d, dt);
  const double level = p < width ? 1.0 : -1.0;
  // Very narrow pulses lose level as the real circuit's pulse does, down to 0.59.
  double g = 1.0;
  if (width < 0.05)
    g = 0.59 + 0.41 * SmoothStep((width - 0.014) / 0.036);
  return (rise + level - fall) * g;
}

double Vco::RenderSample() noexcept {
  if (mWaveform == kNoise)
    return RenderSampleWithNoise(mNoise.RenderSample());

  const double p = mPhase;
  const double dt = std::fabs(mIncrement);
  double v;
  switch (mWaveform) {
  case kTriangle:
    v = Triangle(p, dt);
    break;
  case kSawtooth:
    v = 2.0 * p - 1.0 - PolyBlep(p, dt);
    break;
  case kPulse:
    v = Pulse(p, dt, mPulseWidth);
    break;
  case kSquare:
    v = Pulse(p, dt, 0.5);
    break;
  default:
    v = 0.0;
    break;
  }

  if (mSyncPending) {
    if (dt > 0.0)
      v += PolyBlep(p, dt) * (EndValue() - mSyncValue) / 2.0;
    mSyncPending = 0;
  }
  if (mSyncCounter < 8.0 * mSyncTau) {
    v -= kSyncTransientDepth * std::exp(-mSyncCounter / mSyncTau);
    mSyncCounter += 1.0;
  }

  mPreviousPhase = p;
  mWrapped = 0;
  double next = p + mIncrement;
  if (next >= 1.0 || next < 0.0) {
    next = WrapPhase(next);
    mWrapped = 1;
  }
  mPhase = next;
  mLastOutput = v;
  return v;
}

double Vco::RenderSampleWithNoise(double noise) noexcept {
  if (mWaveform != kNoise)
    return RenderSample();
  mLastOutput = noise;
  mWrapped = 0;
  mSyncPending = 0;
  return noise;
}

void Vco::HardSync(double fraction) noexcept {
  const double q = WrapPhase(mPreviousPhase + (1.0 - fraction) * mIncrement);
  mSyncValue = NaiveValue(q);
  mPhase = WrapPhase(fraction * mIncrement);
  mSyncCounter = 0.0;
  mSyncPending = 1;
}

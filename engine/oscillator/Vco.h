// The voice oscillator: double-precision phase accumulator with band-limited triangle, sawtooth,
// pulse and square, hard sync with its restart transient, and the coloured noise source.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/oscillator/NoiseSource.h"
#include "engine/oscillator/PolyBlep.h"
#include "engine/oscillator/TriangleColouring.h"
#include "engine/util/MathUtil.h"

class Vco {
public:
  enum Waveform : std::uint8_t { kTriangle = 0, kSawtooth = 1, kPulse = 2, kSquare = 3, kNoise = 4 };

  Vco();

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  void SetFrequency(double hz) noexcept;
  void SetPulseWidth(double width) noexcept;
  void SetPhase(double phase) noexcept;

  // One sample at the current phase, then the phase advances (noise does not advance).
  double RenderSample() noexcept;
  // As RenderSample, except that the noise waveform plays the given shared noise sample.
  double RenderSampleWithNoise(double noise) noexcept;
  // Restarts at a master's wrap that happened `fraction` (0..1) of a sample ago.
  void HardSync(double fraction) noexcept;

  // The owner writes the waveform byte directly (waveform codes above; others render 0).
  std::uint8_t mWaveform = kSawtooth;

  bool Wrapped() const noexcept { return mWrapped != 0; }
  double Phase() const noexcept { return mPhase; }
  double PreviousPhase() const noexcept { return mPreviousPhase; }
  double Increment() const noexcept { return mIncrement; }
  double PulseWidth() const noexcept { return mPulseWidth; }
  double SampleRate() const noexcept { return mSampleRate; }
  double LastOutput() const noexcept { return mLastOutput; }
  double SyncTransientTau() const noexcept { return mSyncTau; }
  const TriangleColouring& Colouring() const noexcept { return mColouring; }
  const NoiseSource& Noise() const noexcept { return mNoise; }

  // Value of the waveform at the end of its cycle (sync correction target).
  double EndValue() const noexcept;
  // Naive (uncorrected) waveform value at phase p.
  double NaiveValue(double p) const noexcept;

  static constexpr double kSyncTransientDepth = 1.2;
  static constexpr double kSyncTransientRest = 1e9;

private:
  template <class L> friend class VcoLanes; // the lane forms copy the state in and out

  double Triangle(double p, double dt) noexcept;
  double Pulse(double p, double dt, double width) const noexcept;

  double mSampleRate = 48000.0;
  double mRateInverse = 1.0 / 48000.0; // a frequency is multiplied by it, every sample of a modulated pitch
  double mPhase = 0.0;
  double mIncrement = 0.0;
  double mPulseWidth = 0.5;
  std::uint8_t mWrapped = 0;
  double mLastOutput = 0.0;
  double mPreviousPhase = 0.0;
  std::uint8_t mSyncPending = 0;
  double mSyncValue = 0.0;
  double mSyncCounter = kSyncTransientRest;
  double mSyncTau = 4.0;
  TriangleColouring mColouring;
  NoiseSource mNoise;
};

// The per-sample calls are inline: two oscillators per voice run every sample.
inline void Vco::SetFrequency(double hz) noexcept {
  const double half = 0.5 * mSampleRate;
  mIncrement = (hz == hz ? HoldWithin(hz, -half, half) : 0.0) * mRateInverse;
}

inline void Vco::SetPulseWidth(double width) noexcept {
  mPulseWidth = HoldWithin(width, 0.0, 1.0);
}

inline double Vco::Triangle(double p, double dt) noexcept {
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

inline double Vco::Pulse(double p, double dt, double width) const noexcept {
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

inline double Vco::RenderSample() noexcept {
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

inline double Vco::RenderSampleWithNoise(double noise) noexcept {
  if (mWaveform != kNoise)
    return RenderSample();
  mLastOutput = noise;
  mWrapped = 0;
  mSyncPending = 0;
  return noise;
}

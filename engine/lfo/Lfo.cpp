// Lfo: phase accumulator with five waveforms; the random waveform holds a xorshift value per cycle.
#include "engine/lfo/Lfo.h"

#include <cmath>

#include "engine/util/MathUtil.h"

void Lfo::Prepare(double sampleRate) noexcept {
  const double rate = ValidRate(sampleRate);
  const double hz = HoldWithin(mSampleRate * mIncrement, kMinRateHz, kMaxRateHz);
  mRandomRateHz = HoldWithin(mRandomRateHz, kMinRandomRateHz, kMaxRandomRateHz);
  mSampleRate = rate;
  mIncrement = hz / rate;
  mRandomIncrement = mRandomRateHz / rate;
  Reset();
}

void Lfo::Reset() noexcept {
  mPhase = 0.0;
  mPreviousPhase = 0.0;
  mRandomValue = 0.0;
  mLastOutput = 0.0;
}

void Lfo::SetRate(double hz) noexcept {
  mIncrement = HoldWithin(hz, kMinRateHz, kMaxRateHz) / mSampleRate;
}

void Lfo::SetRandomRate(double hz) noexcept {
  mRandomRateHz = HoldWithin(hz, kMinRandomRateHz, kMaxRandomRateHz);
  mRandomIncrement = mRandomRateHz / mSampleRate;
}

void Lfo::Restart() noexcept {
  mPhase = 0.0;
  mPreviousPhase = 0.0;
  mLastOutput = 0.0;
  StepRandom();
}

void Lfo::StepRandom() noexcept {
  std::uint32_t x = mXorshift;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  mXorshift = x;
  mRandomValue = x * (1.0 / 2147483648.0) - 1.0;
}

double Lfo::Tick() noexcept {
  const bool random = mWaveform == kRandom;
  mPreviousPhase = mPhase;
  mPhase += random ? mRandomIncrement : mIncrement;
  if (mPhase >= 1.0 || mPhase < 0.0) {
    mPhase = WrapPhase(mPhase);
    if (random)
      StepRandom();
  }
  const double p = mPhase;
  double out;
  switch (mWaveform) {
  case kTriangle:
    out = p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
    break;
  case kSawUp:
    out = 2.0 * p - 1.0;
    break;
  case kSawDown:
    out = 1.0 - 2.0 * p;
    break;
  case kSquare:
    out = p < 0.5 ? 1.0 : -1.0;
    break;
  case kRandom:
    out = mRandomValue;
    break;
  default:
    out = 0.0;
    break;
  }
  mLastOutput = out;
  return out;
}

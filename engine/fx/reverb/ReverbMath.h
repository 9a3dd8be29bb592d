// Building blocks shared by the reverb cores: line lengths, allpass step, Hadamard mixing, LFO.
#pragma once

#include <cmath>

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectMath.h"
#include "engine/fx/OnePole.h"
#include "engine/fx/dynamics/FlushTiny.h"

namespace vlm::dsp::reverb {

inline constexpr double kInvSqrt8 = 0.35355339059327376220;

// A length given in seconds: N(rate x seconds) held within 1..maxSamples.
inline int LengthSamples(double seconds, double rate, int maxSamples) noexcept {
  const double n = std::round(rate * seconds);
  if (!(n >= 1.0))
    return 1;
  return n > maxSamples ? maxSamples : static_cast<int>(n);
}

// Schroeder allpass on `line` read at `length`: w = x - g d is stored, g w + d comes out.
template <typename Line> double Allpass(Line& line, int length, double g, double x) noexcept {
  const double d = line.Tap(static_cast<std::size_t>(length));
  const double w = FlushTiny(x - g * d);
  line.Write(w);
  return g * w + d;
}

// In-place 8-point Hadamard transform (Sylvester order, unnormalised): three butterfly stages.
inline void Hadamard8(double* v) noexcept {
  for (int span = 1; span < 8; span *= 2)
    for (int i = 0; i < 8; i += 2 * span)
      for (int j = i; j < i + span; ++j) {
        const double a = v[j];
        const double b = v[j + span];
        v[j] = a + b;
        v[j + span] = a - b;
      }
}

// Sine LFO as a rotating phasor: two multiply-adds per sample instead of a sine call. The phase
// is also counted, and the phasor re-seeded from it now and then, so rounding never builds up.
class SineLfo {
public:
  void Start(double phase, double hz, double rate) noexcept {
    mPhase = phase;
    mIncrement = kTwoPi * hz / rate;
    mCosStep = std::cos(mIncrement);
    mSinStep = std::sin(mIncrement);
    Seed();
  }
  double Sin() const noexcept { return mSin; }
  void Advance() noexcept {
    const double s = mSin * mCosStep + mCos * mSinStep;
    const double c = mCos * mCosStep - mSin * mSinStep;
    mSin = s;
    mCos = c;
    mPhase += mIncrement;
    if (mPhase >= kTwoPi)
      mPhase -= kTwoPi;
    if (++mCount == kReseedInterval)
      Seed();
  }

private:
  static constexpr int kReseedInterval = 4096;
  void Seed() noexcept {
    mSin = std::sin(mPhase);
    mCos = std::cos(mPhase);
    mCount = 0;
  }

  double mPhase = 0.0;
  double mIncrement = 0.0;
  double mCosStep = 1.0;
  double mSinStep = 0.0;
  double mSin = 0.0;
  double mCos = 1.0;
  int mCount = 0;
};

} // namespace vlm::dsp::reverb

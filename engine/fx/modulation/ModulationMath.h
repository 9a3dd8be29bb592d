// LFO and filter conventions shared by the chorus, flanger and phaser effects.
#pragma once

#include <cmath>

#include "engine/fx/EffectMath.h"
#include "engine/fx/OnePole.h"

namespace vlm::dsp {

// Phase increment in radians per sample for an LFO of `hz`.
inline double PhaseIncrement(double hz, double sampleRate) noexcept {
  return kTwoPi * hz / sampleRate;
}

// Advances a phase in radians and keeps it in 0..2 pi.
inline double AdvancePhase(double phase, double increment) noexcept {
  phase += increment;
  if (phase >= kTwoPi) {
    phase -= kTwoPi;
    if (phase >= kTwoPi)
      phase = std::fmod(phase, kTwoPi);
  }
  return phase;
}

// Wraps a phase that may be up to one turn out of 0..2 pi.
inline double WrapPhaseRadians(double phase) noexcept {
  if (phase >= kTwoPi)
    return phase - kTwoPi;
  return phase < 0.0 ? phase + kTwoPi : phase;
}

// Triangle of the phase: +1 at 0 and 2 pi, -1 at pi.
inline double Tri(double phase) noexcept {
  return std::fabs(phase / kTwoPi - 0.5) * 4.0 - 1.0;
}

// Coefficient c of the DC-blocking high-pass y = c y_prev + x - x_prev.
inline double DcBlockCoef(double hz, double sampleRate) noexcept {
  return std::exp(-kTwoPi * hz / sampleRate);
}

// One DC-blocking high-pass step on (previous input, previous output).
inline double DcBlock(double x, double c, double& prevIn, double& prevOut) noexcept {
  const double y = c * prevOut + x - prevIn;
  prevIn = x;
  prevOut = y;
  return y;
}

} // namespace vlm::dsp

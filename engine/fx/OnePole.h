// The effects' one-pole low-pass y += (x - y) c: its coefficient and its flushed step.
#pragma once

#include <cmath>

#include "engine/fx/EffectMath.h"
#include "engine/fx/dynamics/FlushTiny.h"

namespace vlm::dsp {

// Coefficient c of the low-pass at `hz`.
inline double OnePoleCoef(double hz, double sampleRate) noexcept {
  return 1.0 - std::exp(-kTwoPi * hz / sampleRate);
}

// The coefficient of a tone filter whose cut-off is 0 until it is set: c = 1 passes the signal unfiltered.
inline double ToneCoefFor(double hz, double sampleRate) noexcept {
  return hz > 0.0 ? OnePoleCoef(hz, sampleRate) : 1.0;
}

// One step; the state is flushed so a dying signal ends in zeros, not subnormal numbers.
inline double OnePole(double x, double c, double& state) noexcept {
  state = FlushTiny(state + (x - state) * c);
  return state;
}

} // namespace vlm::dsp

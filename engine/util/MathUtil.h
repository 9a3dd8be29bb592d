// Small numeric helpers shared by the engine primitives.
#pragma once

#include <cmath>

// x held within lo..hi; NaN becomes lo, so outside input never poisons a coefficient.
inline double HoldWithin(double x, double lo, double hi) noexcept {
  return x > lo ? (x < hi ? x : hi) : lo;
}

// Smoothstep (3 - 2u) u^2 with u held within 0..1.
inline double SmoothStep(double u) noexcept {
  u = HoldWithin(u, 0.0, 1.0);
  return (3.0 - 2.0 * u) * u * u;
}

// Fractional part in [0, 1): p - floor(p), with the rounding case of tiny negative p kept below 1.
inline double WrapPhase(double p) noexcept {
  p -= std::floor(p);
  return p < 1.0 ? p : 0.0;
}

// A sample rate that is not above 0 (or is NaN) becomes 48000.
inline double ValidRate(double sampleRate) noexcept {
  return sampleRate > 0.0 ? sampleRate : 48000.0;
}

// Small numeric helpers shared by the effects' parameter mappings.
#pragma once

#include <cmath>

namespace vlm::dsp {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

// A normalised parameter value held within 0..1; NaN becomes 0.
constexpr double ClampUnit(double v) noexcept {
  if (!(v >= 0.0))
    return 0.0;
  return v > 1.0 ? 1.0 : v;
}

// N(x): x rounded to the nearest integer, halves away from zero.
inline int RoundHalfAway(double x) noexcept {
  return static_cast<int>(std::round(x));
}

} // namespace vlm::dsp

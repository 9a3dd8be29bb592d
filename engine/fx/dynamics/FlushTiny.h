// Keeps decaying recursive state out of the subnormal range, where arithmetic is very slow.
#pragma once

#include <cmath>

namespace vlm::dsp {

// Far below audibility (-600 dB) yet far above the subnormal range, so a decaying tail ends in
// exact zeros instead of lingering in (or cycling through) subnormal numbers.
inline constexpr double kTinyThreshold = 1e-30;

inline double FlushTiny(double x) noexcept {
  return std::fabs(x) < kTinyThreshold ? 0.0 : x;
}

} // namespace vlm::dsp

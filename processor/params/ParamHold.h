// Holding a parameter value to its range, shared by the engine curves and the parameter shapes.
#pragma once

#include <algorithm>

namespace vlm {

inline double Hold01(double x) {
  return std::clamp(x, 0.0, 1.0);
}

// Limits v to lo..hi; hi wins when the range is inverted, as a plain max-then-min does (the engine's
// HoldWithin gives lo there for v at or below lo).
inline double HoldInRange(double v, double lo, double hi) {
  return std::min(hi, std::max(lo, v));
}

} // namespace vlm

// The same small helpers for a double and for four lanes, so that one template can hold arithmetic that
// a voice runs alone and a quad runs on four lanes, with bit-identical results.
#pragma once

#include "engine/util/FastMath.h"
#include "engine/util/FastMathLanes.h"
#include "engine/util/Lanes.h"
#include "engine/util/MathUtil.h"

namespace lanemath {

// The four-lane Select is the one in Lanes.h.
VLM_LANES_INLINE double Select(bool c, double a, double b) noexcept {
  return c ? a : b;
}

// As std::min and std::max read their arguments.
VLM_LANES_INLINE double Min(double a, double b) noexcept {
  return b < a ? b : a;
}
VLM_LANES_INLINE Lanes4 Min(Lanes4 a, Lanes4 b) noexcept {
  return MinLanes(a, b);
}
VLM_LANES_INLINE double Max(double a, double b) noexcept {
  return a < b ? b : a;
}
VLM_LANES_INLINE Lanes4 Max(Lanes4 a, Lanes4 b) noexcept {
  return MaxLanes(a, b);
}

VLM_LANES_INLINE double Hold(double x, double lo, double hi) noexcept {
  return HoldWithin(x, lo, hi);
}
VLM_LANES_INLINE Lanes4 Hold(Lanes4 x, double lo, double hi) noexcept {
  return HoldWithinLanes(x, Splat(lo), Splat(hi));
}

template <class T> VLM_LANES_INLINE T Smooth(T u) noexcept {
  u = Hold(u, 0.0, 1.0);
  return (3.0 - 2.0 * u) * u * u;
}

VLM_LANES_INLINE double Log2(double x) noexcept {
  return FastLog2(x);
}
VLM_LANES_INLINE Lanes4 Log2(Lanes4 x) noexcept {
  return FastLog2Lanes(x);
}
VLM_LANES_INLINE double Exp(double x) noexcept {
  return FastExp(x);
}
VLM_LANES_INLINE Lanes4 Exp(Lanes4 x) noexcept {
  return FastExpLanes(x);
}
VLM_LANES_INLINE double Exp2(double x) noexcept {
  return FastExp2(x);
}
VLM_LANES_INLINE Lanes4 Exp2(Lanes4 x) noexcept {
  return FastExp2Lanes(x);
}

} // namespace lanemath

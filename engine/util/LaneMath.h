// The same small helpers for a double and for lanes, so that one template can hold arithmetic that a
// voice runs alone and a group of voices runs on four or eight lanes, with bit-identical results.
#pragma once

#include "engine/util/FastMath.h"
#include "engine/util/FastMathLanes.h"
#include "engine/util/Lanes.h"
#include "engine/util/MathUtil.h"

namespace lanemath {

// The lanes' Select is the one in Lanes.h.
VLM_LANES_INLINE double Select(bool c, double a, double b) noexcept {
  return c ? a : b;
}

// As std::min and std::max read their arguments.
VLM_LANES_INLINE double Min(double a, double b) noexcept {
  return b < a ? b : a;
}
template <LaneVector L> VLM_LANES_INLINE L Min(L a, L b) noexcept {
  return MinLanes(a, b);
}
VLM_LANES_INLINE double Max(double a, double b) noexcept {
  return a < b ? b : a;
}
template <LaneVector L> VLM_LANES_INLINE L Max(L a, L b) noexcept {
  return MaxLanes(a, b);
}

VLM_LANES_INLINE double Hold(double x, double lo, double hi) noexcept {
  return HoldWithin(x, lo, hi);
}
template <LaneVector L> VLM_LANES_INLINE L Hold(L x, double lo, double hi) noexcept {
  return HoldWithinLanes<L>(x, Splat<L>(lo), Splat<L>(hi));
}

template <class T> VLM_LANES_INLINE T Smooth(T u) noexcept {
  u = Hold(u, 0.0, 1.0);
  return (3.0 - 2.0 * u) * u * u;
}

VLM_LANES_INLINE double Log2(double x) noexcept {
  return FastLog2(x);
}
template <LaneVector L> VLM_LANES_INLINE L Log2(L x) noexcept {
  return FastLog2Lanes<L>(x);
}
VLM_LANES_INLINE double Exp(double x) noexcept {
  return FastExp(x);
}
template <LaneVector L> VLM_LANES_INLINE L Exp(L x) noexcept {
  return FastExpLanes<L>(x);
}
VLM_LANES_INLINE double Exp2(double x) noexcept {
  return FastExp2(x);
}
template <LaneVector L> VLM_LANES_INLINE L Exp2(L x) noexcept {
  return FastExp2Lanes<L>(x);
}

} // namespace lanemath

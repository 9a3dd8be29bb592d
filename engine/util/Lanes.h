// Four doubles handled as one value, for rendering four voices side by side. Every operation is the
// plain IEEE one per lane (no fused multiply-add), so a lane gives bit for bit what the scalar code
// gives for the same inputs in the same order.
//
// The helpers are always inlined: the renderers that use them are compiled twice, once for AVX2
// (four lanes in one register) and once for the x86-64 baseline (two SSE2 registers), and an
// out-of-line helper would be compiled for the baseline only.
#pragma once

#include <cstdint>

#define VLM_LANES_INLINE inline __attribute__((always_inline))
#define VLM_TARGET_AVX2 __attribute__((target("avx2")))

// Aligned to 32 in every build: the baseline compiler would align them to 16 only, and the AVX2
// renderers read and write them with aligned 32-byte moves.
typedef double Lanes4 __attribute__((vector_size(32), aligned(32)));
// A comparison gives all ones (true) or zero per lane.
typedef std::int64_t LaneMask4 __attribute__((vector_size(32), aligned(32)));
static_assert(alignof(Lanes4) == 32 && alignof(LaneMask4) == 32);

inline constexpr int kLaneCount = 4;

VLM_LANES_INLINE Lanes4 Splat(double x) noexcept {
  return Lanes4{x, x, x, x};
}

VLM_LANES_INLINE Lanes4 Select(LaneMask4 m, Lanes4 a, Lanes4 b) noexcept {
  return m ? a : b;
}

VLM_LANES_INLINE bool AnyLane(LaneMask4 m) noexcept {
  return (m[0] | m[1] | m[2] | m[3]) != 0;
}

VLM_LANES_INLINE bool AllLanes(LaneMask4 m) noexcept {
  return (m[0] & m[1] & m[2] & m[3]) != 0;
}

// x > lo ? (x < hi ? x : hi) : lo, lane by lane (NaN becomes lo), as HoldWithin.
VLM_LANES_INLINE Lanes4 HoldWithinLanes(Lanes4 x, Lanes4 lo, Lanes4 hi) noexcept {
  return Select(x > lo, Select(x < hi, x, hi), lo);
}

// a < b ? a : b and a > b ? a : b, as std::min(a, b) and std::max(a, b) read them.
VLM_LANES_INLINE Lanes4 MinLanes(Lanes4 a, Lanes4 b) noexcept {
  return Select(b < a, b, a);
}
VLM_LANES_INLINE Lanes4 MaxLanes(Lanes4 a, Lanes4 b) noexcept {
  return Select(a < b, b, a);
}

VLM_LANES_INLINE Lanes4 AbsLanes(Lanes4 x) noexcept {
  return Select(x < Splat(0.0), -x, x);
}

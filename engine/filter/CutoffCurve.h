// The 19-point map between cutoff-knob position (percent) and cutoff frequency.
#pragma once

#include <array>
#include <cstdint>

#include "engine/util/FastMath.h"
#include "engine/util/LaneMath.h"

inline constexpr int kCutoffCurvePoints = 19;
inline constexpr std::array<double, kCutoffCurvePoints> kCutoffCurvePercent = {
    0, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100};
inline constexpr std::array<double, kCutoffCurvePoints> kCutoffCurveHz = {
    5,       20,      55.6,   72.59,   112.22,  164.6,    239.85,   370.23,  548.75, 869.63,
    1320.47, 2013.03, 3351.5, 5056.53, 8046.93, 12324.85, 17010.45, 23661.1, 30000};
// 1 / (percent[i] - percent[i - 1]) for the segment below breakpoint i (0 for the first breakpoint):
// a conversion multiplies by it instead of dividing, which sits on the chain of every sample's cutoff.
inline constexpr std::array<double, kCutoffCurvePoints> kCutoffCurveSpanInverse = [] {
  std::array<double, kCutoffCurvePoints> inverse{};
  for (int i = 1; i < kCutoffCurvePoints; ++i)
    inverse[static_cast<std::size_t>(i)] = 1.0 / (kCutoffCurvePercent[static_cast<std::size_t>(i)] -
                                                  kCutoffCurvePercent[static_cast<std::size_t>(i - 1)]);
  return inverse;
}();
inline constexpr double kCutoffMinHz = 5.0;
inline constexpr double kCutoffMaxHz = 30000.0;

// log2 of kCutoffCurveHz, filled once on first use.
const std::array<double, kCutoffCurvePoints>& CutoffLog2Table() noexcept;

// Knob percent (0..100) of a frequency, interpolated in log2(f).
double CutoffFrequencyToPercent(double hz) noexcept;
// Frequency (5..30000 Hz) of a knob percent, interpolated in log2(f); p <= 0 gives 5 Hz.
double CutoffPercentToFrequency(double percent) noexcept;

// log2 of kCutoffCurveHz, as CutoffLog2Table() holds it, for the inline conversion below (filled before
// main; read it only after).
extern const std::array<double, kCutoffCurvePoints> kCutoffLog2Hz;

// The breakpoint at or above a percent p in (0, 100], trying `segment` first (the caller's memory of
// it, 1 at the start): it is unique, so the remembered one, when it fits, is it.
[[gnu::always_inline]] inline std::uint32_t CutoffPercentSegment(double p, std::uint32_t& segment) noexcept {
  std::uint32_t i = segment;
  if (!(kCutoffCurvePercent[i - 1] < p && !(kCutoffCurvePercent[i] < p))) {
    i = 1;
    while (kCutoffCurvePercent[i] < p)
      ++i;
    segment = i;
  }
  return i;
}

// The frequency of p in (0, 100] between the breakpoints below and above it (percent p0 and the inverse
// of the segment's span in percent, log2 frequencies l0 and l1), for a double and for lanes alike: a
// voice rendered in a group finds the breakpoint itself and leaves this arithmetic to the lanes.
template <class T>
[[gnu::always_inline]] inline T CutoffAlongSegment(T p, T p0, T spanInverse, T l0, T l1) noexcept {
  using namespace lanemath;
  const T t = (p - p0) * spanInverse;
  // The inline exp2 (within 3 ulp).
  const T hz = Exp2(l0 + (l1 - l0) * t);
  return Select(hz < kCutoffMinHz, kCutoffMinHz + T{}, Select(hz > kCutoffMaxHz, kCutoffMaxHz + T{}, hz));
}

// The same conversion, inline and starting from `segment` (the caller's memory of the breakpoint above
// the last percent, 1 at the start): a voice converts every sample while its filter envelope moves, and
// as a call the voice's control values went through memory.
[[gnu::always_inline]] inline double CutoffPercentToFrequency(double percent,
                                                              std::uint32_t& segment) noexcept {
  // At 0 (and below) the search would stop at the first breakpoint, which has none before it.
  if (!(percent > 0.0))
    return kCutoffMinHz;
  const double p = percent < 100.0 ? percent : 100.0;
  const std::uint32_t i = CutoffPercentSegment(p, segment);
  return CutoffAlongSegment(p, kCutoffCurvePercent[i - 1], kCutoffCurveSpanInverse[i], kCutoffLog2Hz[i - 1],
                            kCutoffLog2Hz[i]);
}

// Cutoff-curve conversions between knob percent and frequency, interpolated in log2 of the frequency.
#include "engine/filter/CutoffCurve.h"

#include <cmath>

#include "engine/util/FastMath.h"

const std::array<double, kCutoffCurvePoints>& CutoffLog2Table() noexcept {
  static const std::array<double, kCutoffCurvePoints> table = [] {
    std::array<double, kCutoffCurvePoints> t{};
    for (int i = 0; i < kCutoffCurvePoints; ++i)
      t[i] = std::log2(kCutoffCurveHz[i]);
    return t;
  }();
  return table;
}

double CutoffFrequencyToPercent(double hz) noexcept {
  if (!(hz > kCutoffMinHz))
    return 0.0;
  if (hz >= kCutoffMaxHz)
    return 100.0;
  int i = 1; // first breakpoint at or above hz; hz > the first one, so i >= 1
  while (kCutoffCurveHz[i] < hz)
    ++i;
  const auto& lg = CutoffLog2Table();
  const double t = (std::log2(hz) - lg[i - 1]) / (lg[i] - lg[i - 1]);
  return kCutoffCurvePercent[i - 1] + (kCutoffCurvePercent[i] - kCutoffCurvePercent[i - 1]) * t;
}

const std::array<double, kCutoffCurvePoints> kCutoffLog2Hz = CutoffLog2Table();

double CutoffPercentToFrequency(double percent) noexcept {
  std::uint32_t segment = 1;
  return CutoffPercentToFrequency(percent, segment);
}

// CutoffPercentToFrequency on four lanes, operation for operation as the scalar form.
#pragma once

#include "engine/filter/CutoffCurve.h"
#include "engine/util/FastMathLanes.h"
#include "engine/util/Lanes.h"

VLM_LANES_INLINE Lanes4 CutoffPercentToFrequencyLanes(Lanes4 percent) noexcept {
  const auto& lg = CutoffLog2Table();
  const Lanes4 p = Select(percent < 100.0, percent, Splat(100.0));
  Lanes4 p0, p1, l0, l1;
  for (int lane = 0; lane < kLaneCount; ++lane) {
    int i = 1;
    while (i < kCutoffCurvePoints - 1 && kCutoffCurvePercent[static_cast<std::size_t>(i)] < p[lane])
      ++i;
    p0[lane] = kCutoffCurvePercent[static_cast<std::size_t>(i - 1)];
    p1[lane] = kCutoffCurvePercent[static_cast<std::size_t>(i)];
    l0[lane] = lg[static_cast<std::size_t>(i - 1)];
    l1[lane] = lg[static_cast<std::size_t>(i)];
  }
  const Lanes4 t = (p - p0) / (p1 - p0);
  const Lanes4 hz = FastExp2Lanes(l0 + (l1 - l0) * t);
  const Lanes4 held = Select(hz < kCutoffMinHz, Splat(kCutoffMinHz), Select(hz > kCutoffMaxHz, Splat(kCutoffMaxHz), hz));
  return Select(percent > 0.0, held, Splat(kCutoffMinHz));
}

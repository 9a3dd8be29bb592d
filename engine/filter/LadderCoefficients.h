// The ladder's coefficients from cutoff, resonance and jitter, written once for one filter (double)
// and for filters side by side on lanes (Lanes4, Lanes8).
#pragma once

#include <numbers>

#include "engine/util/LaneMath.h"

namespace ladder {

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;
inline constexpr double kLog2Of500 = 8.965784284662087;
inline constexpr double kLog2Of14000 = 13.77313920671969;

// Gain correction (dB) of the self-oscillating filter at log2 of the cutoff in Hz.
double SelfOscillationGainDbAtLog2(double log2Hz) noexcept;

// The same curve's breakpoints (x in log2 Hz) and segment slopes, as the scalar lookup holds them, for
// the lane form: a call per lane from a group's render would spill all its vector registers each time.
struct SelfOscillationCurve {
  static constexpr int kPoints = 11;
  double x[kPoints];
  double y[kPoints];
  double slope[kPoints - 1];
};
extern const SelfOscillationCurve kSelfOscillationCurve;

// The scalar lookup's value on each lane, remembering each lane's segment: the segment is the last one
// starting below x, found by comparing x with every inner breakpoint, and the value is computed as the
// scalar lookup does. A swept cutoff mostly stays within one segment, and then two comparisons find it
// where the search takes nine comparisons and twenty-seven selects. A lane is in its segment while
// bottom < x <= top (the segment the search gives for every such x); the first segment's bottom and the
// last's top are open. Nothing is remembered at the start (both 0).
template <class T> struct SelfOscillationSegment {
  VLM_LANE_ALIGN(T) T bottom{}, top{}, x0{}, y0{}, slope{};

  VLM_LANES_INLINE T DbAtLog2(T log2Hz) noexcept {
    const SelfOscillationCurve& c = kSelfOscillationCurve;
    constexpr int kLast = SelfOscillationCurve::kPoints - 1;
    constexpr double kOpen = __builtin_inf();
    if (!AllLanes((bottom < log2Hz) & (log2Hz <= top))) {
      x0 = Splat<T>(c.x[0]);
      y0 = Splat<T>(c.y[0]);
      slope = Splat<T>(c.slope[0]);
      bottom = Splat<T>(-kOpen);
      top = Splat<T>(c.x[1]);
      for (int i = 1; i < kLast; ++i) {
        const MaskOf<T> past = Splat<T>(c.x[i]) < log2Hz;
        x0 = Select<T>(past, Splat<T>(c.x[i]), x0);
        y0 = Select<T>(past, Splat<T>(c.y[i]), y0);
        slope = Select<T>(past, Splat<T>(c.slope[i]), slope);
        bottom = Select<T>(past, Splat<T>(c.x[i]), bottom);
        top = Select<T>(past, Splat<T>(i + 1 < kLast ? c.x[i + 1] : kOpen), top);
      }
    }
    const T inside = y0 + slope * (log2Hz - x0);
    // At or below the first breakpoint (and NaN) the first value, from the last breakpoint on the last.
    return Select<T>(log2Hz > c.x[0], Select<T>(log2Hz >= c.x[kLast], Splat<T>(c.y[kLast]), inside),
                     Splat<T>(c.y[0]));
  }
};

// The same lookup without a memory: a fresh one searches.
template <LaneVector L> VLM_LANES_INLINE L SelfOscillationGainDbAtLog2(L log2Hz) noexcept {
  SelfOscillationSegment<L> fresh;
  return fresh.DbAtLog2(log2Hz);
}

// Stage coefficient h = 2 pi d / (N rate) for the jittered cutoff d, kept at or below 0.9 so that the
// explicit stage update stays stable. jitter is normaliser x jitter x depth.
template <class T>
VLM_LANES_INLINE T StageCoefficient(T cutoffHz, T jitter, double rate, int iterations) noexcept {
  using namespace lanemath;
  const T c = (1.0 + jitter) * cutoffHz * 1.157;
  const T d = Select(c < 1.0, T{} + 1.0, Min(c, T{} + 0.49 * rate));
  const double stepRate = iterations * rate;
  return Min(d, T{} + stepRate * 0.9 / kTwoPi) * (kTwoPi / stepRate);
}

// The self-oscillating filter's output gain at log2 of the cutoff: 10^(dB / 20) as exp(dB x ln(10) / 20),
// as the rest of the engine turns decibels into gains.
template <class T>
VLM_LANES_INLINE T SelfOscillationGain(T log2Fc, T selfOscillation, T gainBase,
                                       SelfOscillationSegment<T>* segment = nullptr) noexcept {
  T db;
  if constexpr (sizeof(T) == sizeof(double))
    db = SelfOscillationGainDbAtLog2(log2Fc);
  else
    db = segment ? segment->DbAtLog2(log2Fc) : SelfOscillationGainDbAtLog2(log2Fc);
  return ((lanemath::Exp(db * 0.11512925464970229) - 1.0) * selfOscillation + 1.0) * gainBase;
}

// Feedback k and output gain at cutoff fc: resonance thins out at high cutoffs and fades away near
// 0.4 x rate; a self-oscillating filter's level follows the gain-correction curve (on lanes through
// `segment`, where given).
template <class T>
VLM_LANES_INLINE void FeedbackAndGain(T fc, T feedbackBase, T gainBase, T selfOscillation, double rate, T& k,
                                      T& gain, SelfOscillationSegment<T>* segment = nullptr) noexcept {
  using namespace lanemath;
  const T log2Fc = Log2(Max(fc, T{} + 1.0));
  // Multiplied by the inverses of the spans: the divisions would sit on the chain from the cutoff to
  // the ladder's every sample.
  const T t = Hold((log2Fc - kLog2Of500) * (1.0 / (kLog2Of14000 - kLog2Of500)), 0.0, 1.0);
  const T v = Hold((fc - 0.32 * rate) * (1.0 / (0.08 * rate)), 0.0, 1.0);
  k = (1.0 - Smooth(v)) * (1.0 - 0.34 * Smooth(t)) * feedbackBase;
  if constexpr (sizeof(T) == sizeof(double))
    gain = selfOscillation > 0.0 ? SelfOscillationGain(log2Fc, selfOscillation, gainBase) : gainBase;
  else
    gain = AnyLane(selfOscillation > 0.0)
               ? Select(selfOscillation > 0.0,
                        SelfOscillationGain(log2Fc, selfOscillation, gainBase, segment), gainBase)
               : gainBase;
}

} // namespace ladder

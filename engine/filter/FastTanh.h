// Rational approximation of tanh used by the ladder stages, the voice mixer and the modulation effects.
#pragma once

#include "engine/util/Lanes.h"

// Beyond +-9.2 the rational form is within rounding of +-1, so it is cut to exactly +-1 there.
inline constexpr double kFastTanhLimit = 9.2;

// x p(x^2) / q(x^2), the rational form, for a double or a vector of doubles alike: every form below
// runs these operations in this order, so all give bit-identical results.
template <class T> inline __attribute__((always_inline)) T FastTanhRatio(T x) noexcept {
  const T a = x * x;
  const T b = a * a;
  const T b2 = b * b;
  const T p = (0.9999999173136686 + -0.15887602595266753 * a) +
              (0.031431905001797635 + 0.007935085524027437 * a) * b +
              ((0.00022387569687472905 + 1.3093187746573975e-6 * a) + 8.110041249675959e-10 * b) * b2;
  const T q = (1.0 + 0.17445681841092459 * a) + (-0.043748293050045635 + 0.024058910143815344 * a) * b +
              ((0.001622692815109229 + 0.000021088905383828075 * a) + 4.846420359472248e-8 * b) * b2;
  return x * p / q;
}

inline double FastTanh(double x) noexcept {
  if (x > kFastTanhLimit)
    return 1.0;
  if (x < -kFastTanhLimit)
    return -1.0;
  return FastTanhRatio(x);
}

// FastTanh of two values at once, bit for bit the scalar result: both halves of one SSE2 register (part
// of every x86-64), so the voice's two mixer inputs share one division.
inline void FastTanhPair(double x0, double x1, double& y0, double& y1) noexcept {
  typedef double Pair __attribute__((vector_size(16)));
  const Pair y = FastTanhRatio(Pair{x0, x1});
  y0 = x0 > kFastTanhLimit ? 1.0 : (x0 < -kFastTanhLimit ? -1.0 : y[0]);
  y1 = x1 > kFastTanhLimit ? 1.0 : (x1 < -kFastTanhLimit ? -1.0 : y[1]);
}

// FastTanh on four or eight lanes.
template <LaneVector L> VLM_LANES_INLINE L FastTanh(L x) noexcept {
  return Select<L>(x > kFastTanhLimit, Splat<L>(1.0),
                   Select<L>(x < -kFastTanhLimit, Splat<L>(-1.0), FastTanhRatio(x)));
}

// Rational approximation of tanh used by the ladder stages, the voice mixer and the modulation effects.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Beyond +-9.2 the rational form is within rounding of +-1, so it is cut to exactly +-1 there.
inline constexpr double kFastTanhLimit = 9.2;

// The evaluation order below is shared, term for term, with the four-wide ladder path so that
// both give bit-identical results; keep them in step.
inline double FastTanh(double x) noexcept {
  if (x > kFastTanhLimit)
    return 1.0;
  if (x < -kFastTanhLimit)
    return -1.0;
  const double a = x * x;
  const double b = a * a;
  const double b2 = b * b;
  const double p = (0.9999999173136686 + -0.15887602595266753 * a) +
                   (0.031431905001797635 + 0.007935085524027437 * a) * b +
                   ((0.00022387569687472905 + 1.3093187746573975e-6 * a) + 8.110041249675959e-10 * b) * b2;
  const double q = (1.0 + 0.17445681841092459 * a) + (-0.043748293050045635 + 0.024058910143815344 * a) * b +
                   ((0.001622692815109229 + 0.000021088905383828075 * a) + 4.846420359472248e-8 * b) * b2;
  return x * p / q;
}

// FastTanh of two values at once, bit for bit the scalar result: the same operations in the same
// order on both halves of an SSE2 register (part of every x86-64), so the voice's two mixer inputs
// share one division.
inline void FastTanhPair(double x0, double x1, double& y0, double& y1) noexcept {
#if defined(__SSE2__)
  const __m128d x = _mm_set_pd(x1, x0);
  const __m128d a = _mm_mul_pd(x, x);
  const __m128d b = _mm_mul_pd(a, a);
  const __m128d b2 = _mm_mul_pd(b, b);
  const auto c = [](double v) { return _mm_set1_pd(v); };
  const __m128d p = _mm_add_pd(
      _mm_add_pd(_mm_add_pd(c(0.9999999173136686), _mm_mul_pd(c(-0.15887602595266753), a)),
                 _mm_mul_pd(_mm_add_pd(c(0.031431905001797635), _mm_mul_pd(c(0.007935085524027437), a)), b)),
      _mm_mul_pd(_mm_add_pd(_mm_add_pd(c(0.00022387569687472905), _mm_mul_pd(c(1.3093187746573975e-6), a)),
                            _mm_mul_pd(c(8.110041249675959e-10), b)),
                 b2));
  const __m128d q = _mm_add_pd(
      _mm_add_pd(_mm_add_pd(c(1.0), _mm_mul_pd(c(0.17445681841092459), a)),
                 _mm_mul_pd(_mm_add_pd(c(-0.043748293050045635), _mm_mul_pd(c(0.024058910143815344), a)), b)),
      _mm_mul_pd(_mm_add_pd(_mm_add_pd(c(0.001622692815109229), _mm_mul_pd(c(0.000021088905383828075), a)),
                            _mm_mul_pd(c(4.846420359472248e-8), b)),
                 b2));
  alignas(16) double y[2];
  _mm_store_pd(y, _mm_div_pd(_mm_mul_pd(x, p), q));
  y0 = x0 > kFastTanhLimit ? 1.0 : (x0 < -kFastTanhLimit ? -1.0 : y[0]);
  y1 = x1 > kFastTanhLimit ? 1.0 : (x1 < -kFastTanhLimit ? -1.0 : y[1]);
#else
  y0 = FastTanh(x0);
  y1 = FastTanh(x1);
#endif
}

// Rational approximation of tanh used by the ladder stages, the voice mixer and the modulation effects.
#pragma once

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

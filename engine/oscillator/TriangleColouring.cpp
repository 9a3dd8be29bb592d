// Weights and Chebyshev-form polynomial of the triangle's colouring series.
#include "engine/oscillator/TriangleColouring.h"

#include <cmath>
#include <numbers>

#include "engine/util/MathUtil.h"

namespace {

constexpr int kDegree = TriangleColouring::kLastHarmonic;
using Chebyshev = std::array<std::array<double, kDegree + 1>, kDegree + 1>;

// Coefficients of T_k(x) in powers of x, from T_{k+1} = 2x T_k - T_{k-1}.
constexpr Chebyshev MakeChebyshev() {
  Chebyshev t{};
  t[0][0] = 1.0;
  t[1][1] = 1.0;
  for (int k = 1; k < kDegree; ++k)
    for (int i = 0; i <= kDegree; ++i)
      t[k + 1][i] = (i > 0 ? 2.0 * t[k][i - 1] : 0.0) - t[k - 1][i];
  return t;
}

constexpr Chebyshev kChebyshev = MakeChebyshev();

} // namespace

double TriangleColouring::Weight(double x) noexcept {
  if (x <= 0.38)
    return 1.0;
  if (x >= 0.47)
    return 0.0;
  return 1.0 - SmoothStep((x - 0.38) / 0.09);
}

void TriangleColouring::Rebuild(double increment) noexcept {
  const double dt = std::fabs(increment);
  mCoefficients.fill(0.0);
  mActive = false;
  for (int k = kFirstHarmonic; k <= kLastHarmonic; ++k) {
    const double w = Weight(k * dt);
    mWeights[k - kFirstHarmonic] = w;
    if (w > 0.0)
      mActive = true;
    const double c = kAmplitudes[k - kFirstHarmonic] * w;
    for (int i = 0; i <= k; ++i)
      mCoefficients[i] += c * kChebyshev[k][i];
  }
  mCachedIncrement = increment;
}

double TriangleColouring::Evaluate(double phase) const noexcept {
  const double x = std::cos(2.0 * std::numbers::pi * (phase - 0.5));
  double y = mCoefficients[kDegree];
  for (int i = kDegree - 1; i >= 0; --i)
    y = y * x + mCoefficients[i];
  return y;
}

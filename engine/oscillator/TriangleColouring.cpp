// Weights and Chebyshev-form polynomial of the triangle's colouring series.
#include "engine/oscillator/TriangleColouring.h"

#include <cmath>

#include "engine/util/FastMath.h"
#include "engine/util/MathUtil.h"

namespace {

constexpr int kDegree = TriangleColouring::kLastHarmonic;
using Polynomial = std::array<double, kDegree + 1>;
using PolynomialTable = std::array<Polynomial, kDegree + 1>;

// Coefficients of T_k(x) in powers of x, from T_{k+1} = 2x T_k - T_{k-1}.
constexpr PolynomialTable MakeChebyshev() {
  PolynomialTable t{};
  t[0][0] = 1.0;
  t[1][1] = 1.0;
  for (int k = 1; k < kDegree; ++k)
    for (int i = 0; i <= kDegree; ++i)
      t[k + 1][i] = (i > 0 ? 2.0 * t[k][i - 1] : 0.0) - t[k - 1][i];
  return t;
}

constexpr PolynomialTable kChebyshev = MakeChebyshev();

// Row m: the full-weight series of harmonics 2..m, so that the common case (every harmonic
// well below Nyquist) is a copy instead of a rebuild.
constexpr PolynomialTable MakeFullWeightPrefixes() {
  PolynomialTable prefix{};
  for (int m = TriangleColouring::kFirstHarmonic; m <= kDegree; ++m)
    for (int i = 0; i <= kDegree; ++i)
      prefix[m][i] = prefix[m - 1][i] +
                     TriangleColouring::kAmplitudes[m - TriangleColouring::kFirstHarmonic] * kChebyshev[m][i];
  return prefix;
}

constexpr PolynomialTable kFullWeightPrefixes = MakeFullWeightPrefixes();

} // namespace

double TriangleColouring::Weight(double x) noexcept {
  if (x <= kFullWeightEnd)
    return 1.0;
  if (x >= 0.47)
    return 0.0;
  return 1.0 - SmoothStep((x - 0.38) / 0.09);
}

void TriangleColouring::Rebuild(double increment) noexcept {
  const double dt = std::fabs(increment);
  // Weights never rise with k: the harmonics at full weight come first.
  int lastFull = kFirstHarmonic - 1;
  for (int k = kFirstHarmonic; k <= kLastHarmonic; ++k) {
    mWeights[k - kFirstHarmonic] = Weight(k * dt);
    if (mWeights[k - kFirstHarmonic] == 1.0)
      lastFull = k;
  }
  mCoefficients = kFullWeightPrefixes[lastFull];
  mActive = lastFull >= kFirstHarmonic;
  for (int k = lastFull + 1; k <= kLastHarmonic; ++k) {
    const double w = mWeights[k - kFirstHarmonic];
    if (w <= 0.0)
      break;
    mActive = true;
    const double c = kAmplitudes[k - kFirstHarmonic] * w;
    for (int i = k % 2; i <= k; i += 2) // T_k has only powers of the parity of k
      mCoefficients[i] += c * kChebyshev[k][i];
  }
  mAllFull = lastFull == kLastHarmonic;
  mCachedIncrement = increment;
}

double TriangleColouring::Evaluate(double phase) const noexcept {
  // The inline cosine is within 1e-15 of std::cos; at the series' level of 0.03 that is far below
  // anything audible, and the library call was a third of the triangle's cost.
  return Series(mCoefficients.data(), FastCosTurns(phase - 0.5));
}

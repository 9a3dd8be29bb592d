// Harmonic colouring added to the triangle: a fixed series of 13 harmonics, faded out near Nyquist.
#pragma once

#include <array>
#include <cmath>

class TriangleColouring {
public:
  static constexpr int kFirstHarmonic = 2;
  static constexpr int kLastHarmonic = 14;
  static constexpr int kHarmonics = kLastHarmonic - kFirstHarmonic + 1;
  // Amplitude of harmonics 2..14 relative to the triangle's fundamental.
  static constexpr std::array<double, kHarmonics> kAmplitudes = {0.0236,  -0.03,    0.0098,  -0.012, 0.0052,
                                                                 -0.0057, 0.003,    -0.0034, 0.0022, -0.0023,
                                                                 0.0015,  -0.00145, 0.00095};

  // Weight of a harmonic at x = harmonic x |increment|: 1 up to 0.38, 0 from 0.47, smooth between.
  static double Weight(double x) noexcept;
  static constexpr double kFullWeightEnd = 0.38;

  // Rebuilds weights and polynomial when the signed increment differs from the cached one. While the
  // top harmonic stays at full weight the series does not depend on the increment (and, rounding being
  // monotonic, neither does any lower harmonic), so a modulated pitch below ~0.027 x rate costs nothing.
  void Update(double increment) noexcept {
    if (increment == mCachedIncrement)
      return;
    if (mAllFull && std::fabs(increment) * kLastHarmonic <= kFullWeightEnd)
      mCachedIncrement = increment;
    else
      Rebuild(increment);
  }
  bool Active() const noexcept { return mActive; }
  // The series at oscillator phase p in 0..1 (theta = 2 pi (p - 0.5)); call only while active.
  double Evaluate(double phase) const noexcept;
  // The polynomial of degree 14 with coefficients c[0..14] at x = cos(theta), for a double or four or
  // eight lanes alike, its terms summed in pairs by powers of x (Estrin's scheme): a chain of four
  // multiply-adds instead of the fourteen of one Horner chain.
  template <class T> static inline __attribute__((always_inline)) T Series(const T* c, T x) noexcept {
    static_assert(kLastHarmonic == 14, "the steps below are written out for degree 14");
    const T x2 = x * x;
    const T x4 = x2 * x2;
    const T x8 = x4 * x4;
    const T p0 = c[0] + c[1] * x;
    const T p1 = c[2] + c[3] * x;
    const T p2 = c[4] + c[5] * x;
    const T p3 = c[6] + c[7] * x;
    const T p4 = c[8] + c[9] * x;
    const T p5 = c[10] + c[11] * x;
    const T p6 = c[12] + c[13] * x;
    const T low = (p0 + x2 * p1) + x4 * (p2 + x2 * p3);
    const T high = (p4 + x2 * p5) + x4 * (p6 + x2 * c[14]);
    return low + x8 * high;
  }
  const std::array<double, kHarmonics>& Weights() const noexcept { return mWeights; }

private:
  template <class L> friend class VcoLanes; // keeps the hot state in lanes, rebuilds one lane at a time

  void Rebuild(double increment) noexcept;

  double mCachedIncrement = -1.0;
  std::array<double, kHarmonics> mWeights{};
  std::array<double, kLastHarmonic + 1> mCoefficients{}; // of cos(theta)^0..14
  bool mActive = false;
  bool mAllFull = false; // every weight is 1: the coefficients are the full series
};

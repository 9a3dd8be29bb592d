// Inline exp2, exp and cosine for the voice's per-sample modulation: a few ulp from the library
// functions at a fraction of their cost (no call, no special-case paths).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace fastmath {

// 2^(j/64) for j = 0..63, summed as a Taylor series in long double at compile time.
constexpr std::array<double, 64> MakeExp2Table() {
  std::array<double, 64> t{};
  constexpr long double kLn2 = 0.693147180559945309417232121458176568L;
  for (int j = 0; j < 64; ++j) {
    const long double y = kLn2 * j / 64.0L;
    long double term = 1.0L, sum = 1.0L;
    for (int k = 1; k < 40; ++k) {
      term *= y / k;
      sum += term;
    }
    t[static_cast<std::size_t>(j)] = static_cast<double>(sum);
  }
  return t;
}
inline constexpr std::array<double, 64> kExp2Table = MakeExp2Table();

// Adding 1.5 x 2^52 rounds a double below 2^51 in magnitude to the nearest integer, which then sits
// in the low bits of the sum; this avoids a library call for the rounding on plain x86-64.
inline constexpr double kRoundShift = 6755399441055744.0;

// The series below serve a double and a vector of doubles alike (the four-lane forms in
// FastMathLanes.h and VcoLanes.h), so both give the same bits; always inlined, so that a vector
// caller compiled for AVX2 gets them in AVX2.
#define VLM_MATH_KERNEL inline __attribute__((always_inline))

// e^r for |r| <= ln(2) / 128 from six Taylor terms (error below 1e-16). The terms after the 1 are
// summed in pairs by powers of r (Estrin's scheme) rather than one after another: every exponential of
// a sample waits on this series, and pairs halve its chain of dependent operations.
template <class T> VLM_MATH_KERNEL T ExpSeries(T r) noexcept {
  const T r2 = r * r;
  const T r4 = r2 * r2;
  const T low = r + r2 * (0.5 + r * (1.0 / 6.0));
  const T high = (1.0 / 24.0 + r * (1.0 / 120.0)) + r2 * (1.0 / 720.0);
  return 1.0 + (low + r4 * high);
}

// e + log2 y for y in [sqrt(1/2), sqrt(2)): ln y = 2 atanh(s) with s = (y - 1) / (y + 1), |s| <= 0.172,
// from its series to s^21, its terms after the 1 summed in pairs by powers of s^2 (as ExpSeries).
template <class T> VLM_MATH_KERNEL T Log2Reduced(T y, T e) noexcept {
  const T s = (y - 1.0) / (y + 1.0);
  const T a = s * s;
  const T a2 = a * a;
  const T a4 = a2 * a2;
  const T a8 = a4 * a4;
  const T p0 = 1.0 / 3 + a * (1.0 / 5);
  const T p1 = 1.0 / 7 + a * (1.0 / 9);
  const T p2 = 1.0 / 11 + a * (1.0 / 13);
  const T p3 = 1.0 / 15 + a * (1.0 / 17);
  const T p4 = 1.0 / 19 + a * (1.0 / 21);
  const T tail = (p0 + a2 * p1) + a4 * (p2 + a2 * p3) + a8 * p4;
  const T series = 1.0 + a * tail;
  return e + 2.0 * s * series * 1.4426950408889634;
}

// cos(2 pi v) for v in 0..1/4 turn from the even Taylor series to the 22nd power, its terms summed in
// pairs by powers of t^2 (as ExpSeries): an oscillator's every sample waits on it.
template <class T> VLM_MATH_KERNEL T CosQuarterTurn(T v) noexcept {
  const T t = v * 6.283185307179586;
  const T a = t * t;
  const T a2 = a * a;
  const T a4 = a2 * a2;
  const T a8 = a4 * a4;
  const T p0 = 1.0 + a * -0.5;
  const T p1 = 1.0 / 24.0 + a * (-1.0 / 720.0);
  const T p2 = 1.0 / 40320.0 + a * (-1.0 / 3628800.0);
  const T p3 = 1.0 / 479001600.0 + a * (-1.0 / 87178291200.0);
  const T p4 = 1.0 / 20922789888000.0 + a * (-1.0 / 6402373705728000.0);
  const T p5 = 1.0 / 2432902008176640000.0 + a * (-1.0 / 51090942171709440000.0);
  return (p0 + a2 * p1) + a4 * (p2 + a2 * p3) + a8 * (p4 + a2 * p5);
}

} // namespace fastmath

// 2^x within 3 ulp for |x| <= 1000 (held there; NaN gives 2^-1000): x = n/64 + r with |r| <= 1/128,
// 2^x = 2^(n >> 6) x 2^((n & 63)/64) x 2^r, and 2^r from five Taylor terms (error below 1e-16).
inline double FastExp2(double x) noexcept {
  x = x > -1000.0 ? (x < 1000.0 ? x : 1000.0) : -1000.0;
  const double shifted = x * 64.0 + fastmath::kRoundShift;
  std::int64_t bits;
  std::memcpy(&bits, &shifted, sizeof bits);
  const double k = shifted - fastmath::kRoundShift;
  const auto n = static_cast<std::int32_t>(bits); // the integer k, two's complement in the low bits
  const double p = fastmath::ExpSeries((x - k * (1.0 / 64.0)) * 0.6931471805599453);
  const std::int64_t scaleBits = static_cast<std::int64_t>((n >> 6) + 1023) << 52;
  double scale;
  std::memcpy(&scale, &scaleBits, sizeof scale);
  return fastmath::kExp2Table[static_cast<std::size_t>(n & 63)] * p * scale;
}

// log2 x for a positive normal x, within a few ulp: x = 2^e y with y in [sqrt(1/2), sqrt(2)).
inline double FastLog2(double x) noexcept {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const std::uint64_t mantissa = bits & 0x000FFFFFFFFFFFFFull;
  const std::uint64_t up = mantissa > 0x6A09E667F3BCCull ? 1 : 0; // y at or above sqrt(2) is halved
  const std::uint64_t yBits = mantissa | ((1023 - up) << 52);
  double y;
  std::memcpy(&y, &yBits, sizeof y);
  const double e = static_cast<double>(static_cast<std::int64_t>((bits >> 52) + up) - 1023);
  return fastmath::Log2Reduced(y, e);
}

// e^x within 2e-15 relative for |x| <= 20 (the product x log2(e) adds its rounding).
inline double FastExp(double x) noexcept {
  return FastExp2(x * 1.4426950408889634);
}

// cos(2 pi u) for u in -0.5..0.5 (a phase in turns, centred), within 2e-16: folded to 0..1/4 turn, then
// the even Taylor series to the 22nd power.
inline double FastCosTurns(double u) noexcept {
  double v = u < 0.0 ? -u : u;
  const bool back = v > 0.25;
  if (back)
    v = 0.5 - v;
  const double c = fastmath::CosQuarterTurn(v);
  return back ? -c : c;
}

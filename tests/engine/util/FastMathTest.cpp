// The inline exponentials and cosine stay within their stated distance of the library functions,
// which are their reference, over the ranges the voice and the ladder feed them.
#include "engine/util/FastMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double kUlp = 2.220446049250313e-16;

TEST(FastMath, Exp2IsWithinThreeUlpOfTheLibrary) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> wide(-1000.0, 1000.0);
  std::uniform_real_distribution<double> pitch(-12.0, 12.0);
  for (int i = 0; i < 200000; ++i)
    for (double x : {wide(rng), pitch(rng), pitch(rng) * 1e-6})
      ASSERT_NEAR(FastExp2(x) / std::exp2(x), 1.0, 3.0 * kUlp) << x;
  // Integers and the table's own points are exact.
  for (int n = -1000; n <= 1000; ++n)
    ASSERT_EQ(FastExp2(n), std::exp2(n)) << n;
  for (int j = 0; j < 64; ++j)
    ASSERT_EQ(FastExp2(j / 64.0), std::exp2(j / 64.0)) << j;
  // Held at +-1000 beyond.
  EXPECT_EQ(FastExp2(5000.0), std::exp2(1000.0));
  EXPECT_EQ(FastExp2(-5000.0), std::exp2(-1000.0));
}

TEST(FastMath, ExpIsWithin2e15OfTheLibrary) {
  std::mt19937_64 rng(12);
  std::uniform_real_distribution<double> x(-20.0, 20.0);
  for (int i = 0; i < 200000; ++i) {
    const double v = x(rng);
    ASSERT_NEAR(FastExp(v) / std::exp(v), 1.0, 2e-15) << v;
  }
}

TEST(FastMath, CosTurnsIsWithin1e15OfTheLibrary) {
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> u(-0.5, 0.5);
  for (int i = 0; i < 200000; ++i) {
    const double v = u(rng);
    ASSERT_NEAR(FastCosTurns(v), std::cos(2.0 * std::numbers::pi * v), 1e-15) << v;
  }
  for (double v : {-0.5, -0.25, 0.0, 0.125, 0.25, 0.5})
    EXPECT_NEAR(FastCosTurns(v), std::cos(2.0 * std::numbers::pi * v), 1e-15) << v;
  EXPECT_EQ(FastCosTurns(0.0), 1.0);
  EXPECT_EQ(FastCosTurns(0.5), -1.0);
}

} // namespace

TEST(FastMath, Log2IsWithinAFewUlpOfTheLibraryAndExactAtPowersOfTwo) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> octaves(-30.0, 30.0);
  for (int i = 0; i < 200000; ++i) {
    const double x = std::exp2(octaves(rng));
    // Absolute near 1 (where log2 passes through 0), relative elsewhere.
    ASSERT_NEAR(FastLog2(x), std::log2(x), 4.0 * kUlp * std::max(1.0, std::fabs(std::log2(x)))) << x;
  }
  for (int n = -1000; n <= 1000; ++n)
    ASSERT_EQ(FastLog2(std::ldexp(1.0, n)), n) << n;
  for (double x : {std::sqrt(2.0), std::nextafter(std::sqrt(2.0), 0.0), 500.0, 14000.0, 1.0 + 1e-15})
    ASSERT_NEAR(FastLog2(x), std::log2(x), 4.0 * kUlp * std::max(1.0, std::log2(x))) << x;
}

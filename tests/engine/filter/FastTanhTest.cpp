// FastTanh: exact limits, odd symmetry and its error against tanh.
#include "engine/filter/FastTanh.h"

#include <cmath>

#include <gtest/gtest.h>

TEST(FastTanh, IsExactlyOneBeyondTheLimitsAndZeroAtZero) {
  EXPECT_EQ(FastTanh(9.3), 1.0);
  EXPECT_EQ(FastTanh(-9.3), -1.0);
  EXPECT_EQ(FastTanh(1e300), 1.0);
  EXPECT_EQ(FastTanh(-INFINITY), -1.0);
  EXPECT_EQ(FastTanh(std::nextafter(9.2, 10.0)), 1.0);
  EXPECT_EQ(FastTanh(std::nextafter(-9.2, -10.0)), -1.0);
  EXPECT_EQ(FastTanh(0.0), 0.0);
  // At the limits the rational form itself is within rounding of +-1.
  EXPECT_NEAR(FastTanh(9.2), 1.0, 1e-7);
  EXPECT_NEAR(FastTanh(-9.2), -1.0, 1e-7);
}

TEST(FastTanh, StaysCloseToTanhAndIsOdd) {
  double worst = 0.0;
  for (int i = -920000; i <= 920000; ++i) {
    const double x = i * 1e-5;
    const double y = FastTanh(x);
    worst = std::max(worst, std::fabs(y - std::tanh(x)));
    ASSERT_EQ(FastTanh(-x), -y) << x;
    ASSERT_LE(std::fabs(y), 1.0) << x;
  }
  EXPECT_LT(worst, 2.5e-8); // the largest error sits at the limits
}

TEST(FastTanh, PairGivesTheScalarResultsBitForBit) {
  const double xs[] = {0.0,  -0.0, 1e-300, 0.3, -0.7,   1.0,      2.5,
                       -4.0, 9.2,  -9.2,   9.3, -1e300, INFINITY, -INFINITY};
  for (double a : xs)
    for (double b : xs) {
      double ya, yb;
      FastTanhPair(a, b, ya, yb);
      ASSERT_EQ(ya, FastTanh(a)) << a;
      ASSERT_EQ(yb, FastTanh(b)) << b;
      ASSERT_EQ(std::signbit(ya), std::signbit(FastTanh(a))) << a;
    }
  for (int i = -100000; i <= 100000; ++i) {
    double ya, yb;
    FastTanhPair(i * 1e-4, i * -3.3e-5, ya, yb);
    ASSERT_EQ(ya, FastTanh(i * 1e-4)) << i;
    ASSERT_EQ(yb, FastTanh(i * -3.3e-5)) << i;
  }
}

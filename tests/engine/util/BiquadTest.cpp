// Biquad designs: cookbook gains at their reference frequencies and stability above Nyquist.
#include "engine/util/Biquad.h"

#include <cmath>
#include <complex>
#include <numbers>

#include <gtest/gtest.h>

namespace {

double GainAt(const Biquad& f, double hz, double rate) {
  const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / rate);
  const std::complex<double> z2 = z1 * z1;
  return std::abs((f.b0 + f.b1 * z1 + f.b2 * z2) / (1.0 + f.a1 * z1 + f.a2 * z2));
}

bool Stable(const Biquad& f) {
  return std::fabs(f.a2) < 1.0 && std::fabs(f.a1) < 1.0 + f.a2;
}

} // namespace

TEST(Biquad, CookbookGainsAtReferenceFrequencies) {
  const double rate = 48000.0;
  const double gain6 = std::pow(10.0, 6.0 / 20.0);
  Biquad f;
  f.DesignLowShelf(rate, 300.0, 6.0, 0.7);
  EXPECT_NEAR(GainAt(f, 0.0, rate), gain6, 1e-9);
  EXPECT_NEAR(GainAt(f, 24000.0, rate), 1.0, 1e-9);
  EXPECT_NEAR(GainAt(f, 300.0, rate), std::pow(10.0, 3.0 / 20.0), 1e-9); // half the gain in dB
  f.DesignHighShelf(rate, 3000.0, 6.0, 0.7);
  EXPECT_NEAR(GainAt(f, 0.0, rate), 1.0, 1e-9);
  EXPECT_NEAR(GainAt(f, 24000.0, rate), gain6, 1e-9);
  f.DesignPeaking(rate, 2000.0, -6.0, 2.0);
  EXPECT_NEAR(GainAt(f, 2000.0, rate), 1.0 / gain6, 1e-9);
  EXPECT_NEAR(GainAt(f, 0.0, rate), 1.0, 1e-9);
  f.DesignLowPass(rate, 1000.0, 5.0);
  EXPECT_NEAR(GainAt(f, 0.0, rate), 1.0, 1e-9);
  EXPECT_NEAR(GainAt(f, 1000.0, rate), 5.0, 1e-9); // gain Q at the corner
  f.SetIdentity();
  EXPECT_EQ(GainAt(f, 5000.0, rate), 1.0);
}

TEST(Biquad, DesignsAboveNyquistAreHeldAndStayStable) {
  EXPECT_EQ(HoldDesignFrequency(30000.0, 48000.0), 21600.0);
  EXPECT_EQ(HoldDesignFrequency(1000.0, 48000.0), 1000.0);
  for (double rate : {22050.0, 24000.0, 29000.0, 32000.0}) {
    Biquad shelves[3];
    shelves[0].DesignHighShelf(rate, 16000.0, -5.0, 0.707);
    shelves[1].DesignHighShelf(rate, 14678.61, -7.91, 0.799);
    shelves[2].DesignLowShelf(rate, 30000.0, 8.0, 0.5);
    for (Biquad& f : shelves) {
      EXPECT_TRUE(Stable(f)) << rate;
      double y = 0.0;
      for (int i = 0; i < 10000; ++i)
        y = f.Process(i % 2 ? 1.0 : -1.0);
      EXPECT_LT(std::fabs(y), 10.0) << rate;
    }
  }
}

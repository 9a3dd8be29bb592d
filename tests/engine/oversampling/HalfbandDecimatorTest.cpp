// Decimators: unity DC gain, a clean passband, a deep stopband in the right branch order, and resets.
#include "engine/oversampling/ChannelDecimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// Steady-state RMS gain in dB of a sine at freqRel x the output rate, oversampled by factor.
double SineGainDb(int factor, double freqRel) {
  ChannelDecimator d;
  constexpr int kFrames = 16000;
  long k = 0;
  double sumSq = 0.0;
  int counted = 0;
  for (int i = 0; i < kFrames; ++i) {
    double s[4];
    for (int j = 0; j < factor; ++j, ++k)
      s[j] = std::sin(2.0 * std::numbers::pi * freqRel / factor * static_cast<double>(k));
    const double y = d.Decimate(s, factor);
    if (i >= kFrames / 2) {
      sumSq += y * y;
      ++counted;
    }
  }
  return 10.0 * std::log10(sumSq / counted / 0.5);
}

TEST(HalfbandDecimator, ConstantInputSettlesToUnityAtTwoAndFourTimes) {
  for (int factor : {2, 4}) {
    ChannelDecimator d;
    const double ones[4] = {1.0, 1.0, 1.0, 1.0};
    double y = 0.0;
    for (int i = 0; i < 2000; ++i)
      y = d.Decimate(ones, factor);
    EXPECT_NEAR(y, 1.0, 1e-12) << "factor " << factor;
  }
}

TEST(HalfbandDecimator, PassbandIsFlatUpToNearlyHalfTheOutputRate) {
  for (int factor : {2, 4})
    for (double f : {0.05, 0.2, 0.4})
      EXPECT_NEAR(SineGainDb(factor, f), 0.0, 0.01) << "factor " << factor << " f " << f;
}

// With the branches swapped these tones come through at -2 dB (0.7) and -9 dB (1.5 at 4x).
TEST(HalfbandDecimator, StopbandRejectsTonesThatWouldAliasIntoTheOutput) {
  EXPECT_LT(SineGainDb(2, 0.7), -100.0);
  EXPECT_LT(SineGainDb(2, 0.9), -100.0);
  EXPECT_LT(SineGainDb(4, 0.7), -100.0);
  EXPECT_LT(SineGainDb(4, 1.5), -100.0);
  EXPECT_LT(SineGainDb(4, 1.8), -100.0);
}

TEST(HalfbandDecimator, LaterSampleEntersTheEvenBranch) {
  // First output from silence: chain A's first section gives c0 x later, chain B's gives c1 x earlier,
  // and each following section multiplies by its own coefficient.
  HalfbandDecimator d;
  d.SetCoefficients(kHalfbandDecimatorCoefficients);
  const auto& c = kHalfbandDecimatorCoefficients;
  double a = 1.0, b = 1.0;
  for (int k = 0; k < 6; ++k) {
    a *= c[2 * k];
    b *= c[2 * k + 1];
  }
  EXPECT_DOUBLE_EQ(d.Process(0.0, 1.0), a * 0.5);
  d.Reset();
  EXPECT_DOUBLE_EQ(d.Process(1.0, 0.0), b * 0.5);
}

TEST(HalfbandDecimator, AfterResetTheOutputDependsOnlyOnNewSamples) {
  for (int factor : {2, 4}) {
    ChannelDecimator used, fresh;
    const double noise[4] = {0.9, -0.7, 0.3, -0.2};
    for (int i = 0; i < 50; ++i)
      used.Decimate(noise, factor);
    used.Reset();
    const double in[4] = {0.25, 0.5, -0.125, 1.0};
    EXPECT_EQ(used.Decimate(in, factor), fresh.Decimate(in, factor));
  }
}

TEST(HalfbandDecimator, FactorOnePassesTheSampleThrough) {
  ChannelDecimator d;
  const double s[1] = {0.375};
  EXPECT_EQ(d.Decimate(s, 1), 0.375);
}

} // namespace

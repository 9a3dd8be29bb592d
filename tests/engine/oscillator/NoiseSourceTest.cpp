// Noise source: LFSR sequences from their seeds, clocks, gain rule and stable shaping filters.
#include "engine/oscillator/NoiseSource.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

bool Stable(const Biquad& f) {
  return std::fabs(f.a2) < 1.0 && std::fabs(f.a1) < 1.0 + f.a2;
}

template <typename T, typename Step> long Period(T seed, Step step) {
  T r = step(seed);
  long n = 1;
  while (r != seed) {
    r = step(r);
    ++n;
  }
  return n;
}

} // namespace

TEST(NoiseSource, RegistersFollowTheirSeedsAndMasks) {
  std::uint32_t w = NoiseSource::kWhiteSeed;
  for (std::uint32_t expected : {0xD0005671u, 0xB8002B39u, 0x8C00159Du, 0x96000ACFu})
    EXPECT_EQ(w = NoiseSource::StepWhite(w), expected);
  std::uint8_t f = NoiseSource::kFlutterSeed;
  for (std::uint8_t expected : {0x83, 0xF9, 0xC4, 0x62})
    EXPECT_EQ(f = NoiseSource::StepFlutter(f), expected);
  std::uint32_t r = NoiseSource::kRumbleSeed;
  for (std::uint32_t expected : {0x091A2Bu, 0xE58D15u, 0x93C68Au, 0x49E345u})
    EXPECT_EQ(r = NoiseSource::StepRumble(r), expected);
}

TEST(NoiseSource, FlutterAndRumbleRegistersHaveMaximalPeriods) {
  EXPECT_EQ(Period<std::uint8_t>(NoiseSource::kFlutterSeed, NoiseSource::StepFlutter), 255);
  EXPECT_EQ(Period<std::uint32_t>(NoiseSource::kRumbleSeed, NoiseSource::StepRumble), (1L << 24) - 1);
}

TEST(NoiseSource, WhiteStepsOncePerSampleAndSlowClocksAtTheirRates) {
  NoiseSource n;
  n.Prepare(48000.0);
  n.RenderSample();
  EXPECT_EQ(n.WhiteRegister(), 0xD0005671u);
  for (int i = 1; i < 48000; ++i)
    n.RenderSample();
  // One second: the flutter clock (29.3 Hz) stepped 29 times, the rumble clock (1 kHz) about 1000.
  std::uint8_t f = NoiseSource::kFlutterSeed;
  for (int i = 0; i < 29; ++i)
    f = NoiseSource::StepFlutter(f);
  EXPECT_EQ(n.FlutterRegister(), f);
  const int depthCode = std::abs(static_cast<std::int8_t>(f));
  EXPECT_DOUBLE_EQ(n.FlutterDepth(), depthCode / 128.0 * 0.4 + 0.6);
  std::uint32_t r = NoiseSource::kRumbleSeed;
  for (int i = 0; i < 999; ++i)
    r = NoiseSource::StepRumble(r);
  EXPECT_TRUE(n.RumbleRegister() == r || n.RumbleRegister() == NoiseSource::StepRumble(r));
}

TEST(NoiseSource, SequencesKeepRunningThroughPrepareAndReset) {
  NoiseSource n;
  n.Prepare(48000.0);
  for (int i = 0; i < 10; ++i)
    n.RenderSample();
  const std::uint32_t before = n.WhiteRegister();
  n.Reset();
  n.Prepare(96000.0);
  EXPECT_EQ(n.WhiteRegister(), before);
  EXPECT_EQ(n.FlutterDepth(), 0.5);
  n.RenderSample();
  EXPECT_EQ(n.WhiteRegister(), NoiseSource::StepWhite(before));
}

TEST(NoiseSource, GainFollowsTheSquareRootOfTheRate) {
  NoiseSource n;
  EXPECT_EQ(n.Gain(), 3.18);
  n.Prepare(96000.0);
  EXPECT_DOUBLE_EQ(n.Gain(), 0.632);
  n.Prepare(24000.0);
  EXPECT_DOUBLE_EQ(n.Gain(), 0.316);
}

TEST(NoiseSource, ShapingFiltersStayStableAtEveryRate) {
  for (double rate : {22050.0, 24000.0, 29000.0, 32000.0, 44100.0, 96000.0, 192000.0}) {
    NoiseSource n;
    n.Prepare(rate);
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(Stable(n.ShapingFilter(i))) << rate << " shelf " << i;
    for (int i = 0; i < 2; ++i)
      EXPECT_TRUE(Stable(n.RumbleFilter(i))) << rate << " rumble " << i;
    double peak = 0.0, sumSquares = 0.0;
    const int samples = static_cast<int>(rate);
    for (int i = 0; i < samples; ++i) {
      const double y = n.RenderSample();
      ASSERT_TRUE(std::isfinite(y));
      peak = std::max(peak, std::fabs(y));
      sumSquares += y * y;
    }
    const double rms = std::sqrt(sumSquares / samples);
    EXPECT_GT(rms, 0.01) << rate;
    EXPECT_LT(peak, 4.0) << rate;
  }
}

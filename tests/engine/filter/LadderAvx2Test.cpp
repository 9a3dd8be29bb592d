// The four-wide ladder and its FastTanh agree with the scalar forms bit for bit.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "engine/filter/CpuFeatures.h"
#include "engine/filter/FastTanh.h"
#include "engine/filter/LadderStages.h"
#include "engine/filter/Vcf.h"

namespace {

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(LadderAvx2, FeatureQueryAgreesWithTheCompiler) {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  EXPECT_EQ(QueryAvx2(), __builtin_cpu_supports("avx2") != 0);
  EXPECT_EQ(QuerySse42(), __builtin_cpu_supports("sse4.2") != 0 && __builtin_cpu_supports("sse4.1") != 0);
#endif
  EXPECT_EQ(HasAvx2(), QueryAvx2());
  EXPECT_EQ(HasSse42(), QuerySse42());
}

TEST(LadderAvx2, FastTanhMatchesTheScalarFormBitForBit) {
  if (!HasAvx2())
    GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> wide(-12.0, 12.0);
  std::vector<double> xs = {
      0.0,   -0.0,   9.2, -9.2, std::nextafter(9.2, 10.0), std::nextafter(-9.2, -10.0), 1e-300, -1e-300,
      1e300, -1e300, 0.5, -3.25};
  for (int i = 0; i < 200000; ++i)
    xs.push_back(wide(rng));
  while (xs.size() % 4)
    xs.push_back(1.0);
  for (std::size_t i = 0; i < xs.size(); i += 4) {
    double out[4];
    FastTanhAvx2x4(&xs[i], out);
    for (int j = 0; j < 4; ++j)
      ASSERT_TRUE(SameBits(out[j], FastTanh(xs[i + j]))) << xs[i + j];
  }
}

TEST(LadderAvx2, StageIterationsMatchTheScalarFormBitForBit) {
  if (!HasAvx2())
    GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> state(-3.0, 3.0), coefficient(0.0, 0.9), feedback(0.0, 4.2);
  for (int n = 1; n <= 8; ++n) {
    for (int trial = 0; trial < 2000; ++trial) {
      alignas(32) double a[4], b[4];
      for (int j = 0; j < 4; ++j)
        a[j] = b[j] = state(rng);
      const double x = state(rng), k = feedback(rng), h = coefficient(rng);
      const double ya = LadderIterateScalar(a, x, k, h, n);
      const double yb = LadderIterateAvx2(b, x, k, h, n);
      ASSERT_TRUE(SameBits(ya, yb)) << n;
      ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << n;
    }
  }
}

TEST(LadderAvx2, FilterOutputMatchesTheScalarFormBitForBit) {
  if (!HasAvx2())
    GTEST_SKIP() << "no AVX2 on this processor";
  for (double rate : {22050.0, 48000.0, 96000.0, 192000.0}) {
    Vcf scalar, vector;
    scalar.Prepare(rate);
    vector.Prepare(rate);
    scalar.SetVectorForm(false);
    vector.SetVectorForm(true);
    ASSERT_TRUE(vector.VectorForm());
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-1.5, 1.5);
    for (int i = 0; i < 20000; ++i) {
      const double sweep = 20.0 * std::pow(1000.0, (i % 5000) / 5000.0);
      const double resonance = (i / 5000) * 0.33;
      const double x = noise(rng);
      scalar.SetCutoffAndResonance(sweep, resonance);
      vector.SetCutoffAndResonance(sweep, resonance);
      ASSERT_TRUE(SameBits(scalar.Process(x), vector.Process(x))) << rate << " sample " << i;
    }
  }
}

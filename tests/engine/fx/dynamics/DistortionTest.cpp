// Distortion: the five transfer curves, drive and output levels, mix and the clip pass-through.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/fx/dynamics/Distortion.h"

using vlm::dsp::Distortion;

namespace {

constexpr double kUnityOutput = 0.5; // "Output" at 0 dB

// Drive 0 dB, output 0 dB, mix 1: the output is the bare curve.
std::unique_ptr<Distortion> MakeBare(int algorithm) {
  auto d = std::make_unique<Distortion>();
  d->SetParameter(0, algorithm / 4.0);
  d->SetParameter(1, 0.0);
  d->SetParameter(2, kUnityOutput);
  d->SetParameter(3, 1.0);
  return d;
}

TEST(DistortionTest, TransferCurvesGiveTheirValues) {
  struct Case {
    int algorithm;
    double x;
    double y;
  };
  const Case cases[] = {
      {0, 2.5, 1.0},
      {0, -3.0, -1.0},
      {0, 0.3, 0.3},
      {1, 0.5, std::tanh(0.5)},
      {1, -2.0, std::tanh(-2.0)},
      {2, 1.0, 0.5},
      {2, -3.0, -0.75},
      {2, 0.25, 0.2},
      {3, 1.0, std::tanh(1.2)},
      {3, -1.0, std::tanh(-0.7)},
      {3, 0.0, 0.0},
      {4, 1.0, 1.0 / std::sqrt(2.0)},
      {4, -3.0, -3.0 / std::sqrt(10.0)},
  };
  for (const Case& c : cases) {
    auto d = MakeBare(c.algorithm);
    ASSERT_EQ(d->Algorithm(), c.algorithm);
    double l = c.x, r = -c.x;
    d->Process(l, r);
    // tanh comes from the engine's rational form, within 2e-8.
    EXPECT_NEAR(l, c.y, 5e-8) << c.algorithm << " " << c.x;
    EXPECT_NEAR(r, c.algorithm == 3 ? Distortion::Shape(3, -c.x) : -c.y, 5e-8) << c.algorithm << " " << c.x;
  }
}

TEST(DistortionTest, ClipAtUnityPassesSignalsWithinFullScaleUnchanged) {
  auto d = MakeBare(0);
  for (double x = -1.0; x <= 1.0; x += 1.0 / 64.0) {
    double l = x, r = x;
    d->Process(l, r);
    ASSERT_EQ(l, x);
  }
}

TEST(DistortionTest, DriveOutputAndMixLevels) {
  auto d = std::make_unique<Distortion>();
  EXPECT_EQ(d->Algorithm(), 1);
  EXPECT_DOUBLE_EQ(d->Drive(), 2.0);
  d->SetParameter(1, 1.0);
  EXPECT_NEAR(d->Drive(), std::pow(10.0, 36.0 / 20.0), 1e-12);
  struct Case {
    double v;
    double db;
  };
  for (Case c : {Case{0.0, -24.0}, Case{0.25, -12.0}, Case{0.5, 0.0}, Case{1.0, 12.0}}) {
    d->SetParameter(2, c.v);
    EXPECT_NEAR(d->Output(), std::pow(10.0, c.db / 20.0), 1e-12) << c.v;
  }
  // Algo N(4v): halves round away from zero; out-of-range values are clamped.
  for (auto [v, algorithm] :
       {std::pair{0.125, 1}, std::pair{0.375, 2}, std::pair{0.6, 2}, std::pair{5.0, 4}, std::pair{-1.0, 0}}) {
    d->SetParameter(0, v);
    EXPECT_EQ(d->Algorithm(), algorithm) << v;
  }

  // Tanh at drive 2, output -12 dB, mix 0.25: shape x output x mix + (1 - mix) x.
  d->SetParameter(0, 0.25);
  d->SetParameter(1, 20.0 * std::log10(2.0) / 36.0);
  d->SetParameter(2, 0.25);
  d->SetParameter(3, 0.25);
  double l = 0.4, r = 0.0;
  d->Process(l, r);
  EXPECT_NEAR(l, std::tanh(0.8) * std::pow(10.0, -12.0 / 20.0) * 0.25 + 0.75 * 0.4, 2e-8);
  EXPECT_EQ(r, 0.0);

  // Mix 0: the input exactly.
  d->SetParameter(3, 0.0);
  l = 0.7, r = -0.3;
  d->Process(l, r);
  EXPECT_EQ(l, 0.7);
  EXPECT_EQ(r, -0.3);
}

} // namespace

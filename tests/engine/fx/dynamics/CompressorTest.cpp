// Compressor: identity at ratio 1, make-up, static curve with knee, time constants and the characters.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/fx/dynamics/Compressor.h"
#include "tests/engine/fx/dynamics/FxTestSignals.h"

using namespace vlm::dsp;
using namespace vlm::dsp::test;

namespace {

constexpr double kClean = 0.0, kOpto = 1.0 / 3.0, kFet = 2.0 / 3.0, kVariMu = 1.0;

double DbToGain(double db) {
  return std::pow(10.0, db / 20.0);
}
// "Thresh" value for a threshold in dB; "Ratio" value for a ratio.
double ThresholdV(double db) {
  return (db + 60.0) / 60.0;
}
double RatioV(double ratio) {
  return std::sqrt((ratio - 1.0) / 19.0);
}

std::unique_ptr<Compressor> Make(double thresholdDb, double ratio, double kneeDb, double mode) {
  auto c = std::make_unique<Compressor>();
  c->Prepare(48000.0);
  c->SetParameter(0, ThresholdV(thresholdDb));
  c->SetParameter(1, RatioV(ratio));
  c->SetParameter(6, kneeDb / 24.0);
  c->SetParameter(5, mode);
  return c;
}

// Output of a steady input held for `frames` samples.
double Steady(Compressor& c, double x, int frames) {
  double l = 0.0, r = 0.0;
  for (int n = 0; n < frames; ++n) {
    l = x;
    r = -x;
    c.Process(l, r);
  }
  return l;
}

TEST(CompressorTest, RatioOneIsTheIdentityWithNoMakeUp) {
  for (double mode : {kClean, kOpto}) {
    for (double threshold : {-60.0, -12.0, 0.0}) {
      auto c = Make(threshold, 1.0, 6.0, mode);
      EXPECT_EQ(c->MakeUpDb(), 0.0);
      Noise noise;
      for (int n = 0; n < 20000; ++n) {
        const double inL = 4.0 * noise.Next(), inR = 4.0 * noise.Next();
        double l = inL, r = inR;
        c->Process(l, r);
        ASSERT_EQ(l, inL) << mode << " " << threshold;
        ASSERT_EQ(r, inR);
      }
    }
  }
}

TEST(CompressorTest, MakeUpAppliesWithoutReductionAndIsCapped) {
  // -20 dB, 4:1: make-up 0.75 x 20 / 2 = 7.5 dB on a signal far below the knee.
  auto c = Make(-20.0, 4.0, 6.0, kClean);
  EXPECT_DOUBLE_EQ(c->MakeUpDb(), 7.5);
  Noise noise;
  for (int n = 0; n < 2000; ++n) {
    const double in = 0.001 * noise.Next();
    double l = in, r = -in;
    c->Process(l, r);
    ASSERT_NEAR(l, in * DbToGain(7.5), 1e-15);
    ASSERT_NEAR(r, -in * DbToGain(7.5), 1e-15);
  }
  EXPECT_EQ(c->ReductionDb(), 0.0);

  EXPECT_EQ(Make(0.0, 20.0, 0.0, kClean)->MakeUpDb(), 0.0) << "threshold 0 dB: no make-up";
  EXPECT_EQ(Make(-60.0, 20.0, 0.0, kClean)->MakeUpDb(), 18.0) << "28.5 dB capped at 18";
}

TEST(CompressorTest, StaticCurveFollowsRatioAndKnee) {
  // Input at 0 dBFS, threshold -20, ratio 4: 15 dB of reduction against 7.5 dB of make-up.
  auto c = Make(-20.0, 4.0, 0.0, kClean);
  EXPECT_NEAR(Steady(*c, 1.0, 48000), DbToGain(-7.5), 1e-9);
  EXPECT_NEAR(c->ReductionDb(), 15.0, 1e-9);

  // In the middle of a 6 dB knee the target is slope x (k/2)^2 / (2k) = 0.75 x 9 / 12.
  c = Make(-20.0, 4.0, 6.0, kClean);
  Steady(*c, DbToGain(-20.0), 48000);
  EXPECT_NEAR(c->ReductionDb(), 0.5625, 1e-9);
  // "Vari-Mu" widens the knee by 12 dB: 0.75 x 81 / 36.
  c = Make(-20.0, 4.0, 6.0, kVariMu);
  Steady(*c, DbToGain(-20.0), 48000);
  EXPECT_NEAR(c->ReductionDb(), 1.6875, 1e-9);
}

TEST(CompressorTest, AttackAndReleaseFollowTheirTimesAtEveryRate) {
  auto c = std::make_unique<Compressor>();
  EXPECT_DOUBLE_EQ(c->AttackCoef(), std::exp(-1.0 / 480.0)) << "constructed for 48 kHz";
  for (double rate : {0.0, 44100.0, 96000.0, 192000.0}) {
    c->Prepare(rate);
    const double r = rate > 0.0 ? rate : 48000.0;
    c->SetParameter(2, 0.0); // 0.1 ms
    c->SetParameter(3, 1.0); // 1000 ms
    EXPECT_DOUBLE_EQ(c->AttackMs(), 0.1);
    EXPECT_DOUBLE_EQ(c->ReleaseMs(), 1000.0);
    EXPECT_DOUBLE_EQ(c->AttackCoef(), std::exp(-1.0 / std::max(1.0, 0.1 * r / 1000.0))) << rate;
    EXPECT_DOUBLE_EQ(c->ReleaseCoef(), std::exp(-1.0 / r)) << rate;
  }
  // The coefficients are re-derived by Prepare from the stored times.
  c->Prepare(48000.0);
  EXPECT_DOUBLE_EQ(c->ReleaseCoef(), std::exp(-1.0 / 48000.0));

  // After the attack time constant the reduction has covered 1 - 1/e of a step.
  c = Make(-20.0, 4.0, 0.0, kClean);
  c->SetParameter(2, std::log(10.0) / std::log(2000.0)); // 1 ms = 48 samples
  Steady(*c, 1.0, 48);
  EXPECT_NEAR(c->ReductionDb(), 15.0 * (1.0 - std::pow(std::exp(-1.0 / 48.0), 48)), 1e-9);
}

TEST(CompressorTest, OptoReleasesSlowerAfterLongHeavyReduction) {
  auto clean = Make(-40.0, 20.0, 0.0, kClean);
  auto opto = Make(-40.0, 20.0, 0.0, kOpto);
  for (auto* c : {clean.get(), opto.get()})
    c->SetParameter(3, 0.0); // 5 ms release
  Steady(*clean, 1.0, 96000);
  Steady(*opto, 1.0, 96000);
  // 50 ms after the signal drops, the clean detector has recovered, the opto one has not.
  const double quiet = DbToGain(-70.0);
  const double cleanOut = Steady(*clean, quiet, 2400) / quiet;
  const double optoOut = Steady(*opto, quiet, 2400) / quiet;
  EXPECT_NEAR(cleanOut / DbToGain(clean->MakeUpDb()), 1.0, 1e-3);
  EXPECT_LT(optoOut, cleanOut * DbToGain(-6.0));
}

TEST(CompressorTest, FetAndVariMuShapeTheSignal) {
  // Ratio 1 and threshold 0: unity gain, so only the character curves act.
  auto fet = Make(0.0, 1.0, 0.0, kFet);
  auto vari = Make(0.0, 1.0, 0.0, kVariMu);
  for (double x : {-0.9, -0.3, 0.0, 0.2, 0.8}) {
    double l = x, r = x;
    fet->Process(l, r);
    EXPECT_NEAR(l, (std::tanh(1.2 * (x + 0.08)) - std::tanh(0.096)) / 1.2, 5e-8) << x;
    l = x, r = x;
    vari->Process(l, r);
    EXPECT_NEAR(l, x - 0.072 * x * std::fabs(x), 1e-15) << x;
  }
  // Mix blends the dry input back.
  fet->SetParameter(4, 0.5);
  double l = 0.5, r = 0.5;
  fet->Process(l, r);
  EXPECT_NEAR(l, 0.25 + 0.5 * (std::tanh(1.2 * 0.58) - std::tanh(0.096)) / 1.2, 5e-8);
  // The curve passes exactly through 0.
  l = 0.0, r = 0.0;
  fet->SetParameter(4, 1.0);
  fet->Process(l, r);
  EXPECT_EQ(l, 0.0);
}

TEST(CompressorTest, ModeAndRatioMappings) {
  auto c = std::make_unique<Compressor>();
  struct Case {
    double v;
    int mode;
  };
  for (Case m : {Case{0.0, 0}, Case{0.16, 0}, Case{0.17, 1}, Case{0.5, 2}, Case{0.84, 3}, Case{1.0, 3}}) {
    c->SetParameter(5, m.v);
    EXPECT_EQ(c->Mode(), m.mode) << m.v;
  }
  c->SetParameter(1, 1.0);
  EXPECT_DOUBLE_EQ(c->Ratio(), 20.0);
  c->SetParameter(0, 0.0);
  EXPECT_DOUBLE_EQ(c->ThresholdDb(), -60.0);
  c->SetParameter(6, 1.0);
  EXPECT_DOUBLE_EQ(c->KneeDb(), 24.0);
  c->SetParameter(9, 0.0);
  EXPECT_DOUBLE_EQ(c->KneeDb(), 24.0);
}

} // namespace

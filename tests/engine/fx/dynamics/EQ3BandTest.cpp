// Three-band equalizer: flat identity, shelf and peak gains, parameter mappings and rates.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/fx/dynamics/EQ3Band.h"
#include "tests/engine/fx/dynamics/FxTestSignals.h"

using namespace vlm::dsp;
using namespace vlm::dsp::test;

namespace {

double DbToGain(double db) {
  return std::pow(10.0, db / 20.0);
}

// Peak output level of a steady sine of `hz` once the filters have settled.
double SineGain(EQ3Band& eq, double hz, double rate) {
  eq.Reset();
  double peak = 0.0;
  const int settle = static_cast<int>(rate); // one second
  for (int n = 0; n < settle + static_cast<int>(rate / 10); ++n) {
    double l = std::sin(2.0 * M_PI * hz * n / rate), r = l;
    eq.Process(l, r);
    if (n >= settle)
      peak = std::max(peak, std::fabs(l));
  }
  return peak;
}

TEST(EQ3BandTest, FlatSettingsPassTheInputWithin1e12) {
  auto eq = std::make_unique<EQ3Band>();
  for (double rate : {0.0, 44100.0, 96000.0, 192000.0}) {
    eq->Prepare(rate);
    for (int i = 0; i < 6; ++i)
      eq->SetParameter(i, i % 2 == 0 ? 0.5 : 0.3 * i / 5.0 + 0.2);
    Noise noise;
    for (int n = 0; n < 96000; ++n) {
      const double inL = noise.Next(), inR = noise.Next();
      double l = inL, r = inR;
      eq->Process(l, r);
      ASSERT_NEAR(l, inL, 1e-12) << rate << " " << n;
      ASSERT_NEAR(r, inR, 1e-12) << rate << " " << n;
    }
  }
}

TEST(EQ3BandTest, ParametersMapToGainsAndFrequencies) {
  auto eq = std::make_unique<EQ3Band>();
  eq->Prepare(48000.0);
  struct Case {
    double v;
    double db;
  };
  for (Case c : {Case{0.0, -36.0}, Case{0.25, -18.0}, Case{0.5, 0.0}, Case{0.75, 6.0}, Case{1.0, 12.0},
                 Case{-1.0, -36.0}, Case{2.0, 12.0}}) {
    eq->SetParameter(0, c.v);
    eq->SetParameter(2, c.v);
    eq->SetParameter(4, c.v);
    EXPECT_DOUBLE_EQ(eq->LowGainDb(), c.db) << c.v;
    EXPECT_DOUBLE_EQ(eq->MidGainDb(), c.db) << c.v;
    EXPECT_DOUBLE_EQ(eq->HighGainDb(), c.db) << c.v;
  }
  eq->SetParameter(1, 1.0);
  eq->SetParameter(3, 1.0);
  eq->SetParameter(5, 1.0);
  EXPECT_DOUBLE_EQ(eq->LowHz(), 500.0);
  EXPECT_DOUBLE_EQ(eq->MidHz(), 5000.0);
  EXPECT_DOUBLE_EQ(eq->HighHz(), 12000.0);
  eq->SetParameter(1, 0.0);
  eq->SetParameter(3, 0.0);
  eq->SetParameter(5, 0.0);
  EXPECT_DOUBLE_EQ(eq->LowHz(), 50.0);
  EXPECT_DOUBLE_EQ(eq->MidHz(), 200.0);
  EXPECT_DOUBLE_EQ(eq->HighHz(), 2000.0);
}

TEST(EQ3BandTest, BandsReachTheirGainsAtDcTheCentreAndNyquist) {
  auto eq = std::make_unique<EQ3Band>();
  eq->Prepare(48000.0);

  // Low gain 0: three -12 dB shelves, -36 dB at DC.
  eq->SetParameter(0, 0.0);
  double l = 0.0, r = 0.0;
  for (int n = 0; n < 48000; ++n) {
    l = r = 1.0;
    eq->Process(l, r);
  }
  EXPECT_NEAR(l, DbToGain(-36.0), 1e-9);

  // High gain 1: +12 dB at Nyquist (an alternating signal).
  eq->SetParameter(0, 0.5);
  eq->SetParameter(4, 1.0);
  eq->Reset();
  for (int n = 0; n < 48000; ++n) {
    l = r = n % 2 == 0 ? 1.0 : -1.0;
    eq->Process(l, r);
  }
  EXPECT_NEAR(std::fabs(l), DbToGain(12.0), 1e-9);

  // Mid peak at its centre frequency: the full gain; an octave away much less.
  eq->SetParameter(4, 0.5);
  eq->SetParameter(2, 1.0);
  EXPECT_NEAR(SineGain(*eq, 1000.0, 48000.0), DbToGain(12.0), 1e-2);
  eq->SetParameter(2, 0.0);
  EXPECT_NEAR(SineGain(*eq, 1000.0, 48000.0), DbToGain(-36.0), 2e-4);
  EXPECT_GT(SineGain(*eq, 8000.0, 48000.0), DbToGain(-6.0));
}

TEST(EQ3BandTest, SilenceAfterASignalEndsInExactZeros) {
  // A decaying recursion must not settle into subnormal numbers, which are very slow to compute.
  auto eq = std::make_unique<EQ3Band>();
  eq->Prepare(48000.0);
  for (int i = 0; i < 6; ++i)
    eq->SetParameter(i, i % 2 == 0 ? 0.9 : 0.0);
  Noise noise;
  double l = 0.0, r = 0.0;
  for (int n = 0; n < 4800; ++n) {
    l = noise.Next(), r = noise.Next();
    eq->Process(l, r);
  }
  for (int n = 0; n < 96000; ++n) {
    l = r = 0.0;
    eq->Process(l, r);
  }
  EXPECT_EQ(l, 0.0);
  EXPECT_EQ(r, 0.0);
}

TEST(EQ3BandTest, FrequenciesAboveTheRateAreHeldAndEveryRateStaysFinite) {
  auto eq = std::make_unique<EQ3Band>();
  for (double rate : {8000.0, 44100.0, 96000.0, 192000.0}) {
    eq->Prepare(rate);
    for (int i = 0; i < 6; ++i)
      eq->SetParameter(i, 1.0); // 12 kHz high shelf: above 0.45 x 8000, held there
    Noise noise;
    for (int n = 0; n < 10000; ++n) {
      double l = noise.Next(), r = noise.Next();
      eq->Process(l, r);
      ASSERT_TRUE(std::isfinite(l) && std::isfinite(r) && std::fabs(l) < 20.0) << rate;
    }
  }
}

} // namespace

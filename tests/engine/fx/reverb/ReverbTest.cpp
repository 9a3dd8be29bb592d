// Reverb effect: dry path, pre-delay, core crossfade and resets, rates, width and long-run stability.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/fx/reverb/Reverb.h"
#include "tests/engine/fx/dynamics/FxTestSignals.h"

using namespace vlm::dsp;
using namespace vlm::dsp::test;

namespace {

constexpr double kHall = 0.0, kPlate = 0.5, kRoom = 1.0;

// The reverb holds several megabytes of lines: always on the heap.
std::unique_ptr<Reverb> Make(double rate, double mode) {
  auto fx = std::make_unique<Reverb>();
  fx->Prepare(rate);
  fx->SetParameter(0, mode);
  fx->SetParameter(7, 1.0);
  fx->Prepare(rate); // settle the crossfade so only the chosen core runs
  return fx;
}

double Energy(const std::vector<double>& x, std::size_t from, std::size_t to) {
  double e = 0.0;
  for (std::size_t i = from; i < to && i < x.size(); ++i)
    e += x[i] * x[i];
  return e;
}

TEST(ReverbTest, MixZeroOutputsTheInputBitForBit) {
  auto fx = std::make_unique<Reverb>();
  fx->Prepare(44100.0);
  for (int i = 0; i < 8; ++i)
    fx->SetParameter(i, 0.7);
  fx->SetParameter(7, 0.0);
  Noise noise;
  for (int n = 0; n < 30000; ++n) {
    if (n == 10000)
      fx->SetParameter(0, kRoom);
    const double inL = noise.Next(), inR = noise.Next();
    double l = inL, r = inR;
    fx->Process(l, r);
    ASSERT_EQ(l, inL) << n;
    ASSERT_EQ(r, inR) << n;
  }
}

TEST(ReverbTest, EveryCoreSoundsFromFirstUseWithoutPrepare) {
  for (double mode : {kHall, kPlate, kRoom}) {
    auto fx = std::make_unique<Reverb>();
    fx->SetParameter(0, mode);
    fx->SetParameter(7, 1.0);
    const auto out = Impulse(*fx, 48000);
    EXPECT_GT(Energy(out.left, 4800, 48000), 1e-4) << mode;
    EXPECT_GT(Energy(out.right, 4800, 48000), 1e-4) << mode;
  }
}

TEST(ReverbTest, PreDelayShiftsTheFirstReflection) {
  // The room's first early reflection is 5 ms (240 samples) after its input.
  auto fx = Make(48000.0, kRoom);
  auto out = Impulse(*fx, 12000);
  EXPECT_EQ(Above(out.left, 1e-12).front(), 240) << "mix 1 leaves only a 6e-17 dry trace";

  fx->SetParameter(1, 1.0);
  EXPECT_DOUBLE_EQ(fx->PreDelaySamples(), 9600.0);
  fx->Reset();
  out = Impulse(*fx, 12000);
  EXPECT_EQ(Above(out.left, 1e-12).front(), 9600 + 240);

  // A new rate re-derives the samples from the stored time; 400 kHz would need 80000: held.
  fx->Prepare(96000.0);
  EXPECT_DOUBLE_EQ(fx->PreDelaySamples(), 19200.0);
  fx->Prepare(400000.0);
  EXPECT_DOUBLE_EQ(fx->PreDelaySamples(), 65532.0);
  fx->SetParameter(1, 0.5);
  EXPECT_DOUBLE_EQ(fx->PreDelaySamples(), 40000.0);
}

TEST(ReverbTest, SwitchingCoresCrossfadesOver50Ms) {
  auto fx = Make(48000.0, kHall);
  EXPECT_DOUBLE_EQ(fx->WeightStep(), 1.0 / 2400.0);
  fx->SetParameter(0, kRoom);
  EXPECT_EQ(fx->Mode(), 2);
  double l = 0.0, r = 0.0;
  for (int n = 0; n < 1200; ++n)
    fx->Process(l, r);
  EXPECT_NEAR(fx->Weight(0), 0.5, 1e-9);
  EXPECT_NEAR(fx->Weight(2), 0.5, 1e-9);
  for (int n = 0; n < 1201; ++n)
    fx->Process(l, r);
  EXPECT_EQ(fx->Weight(0), 0.0);
  EXPECT_EQ(fx->Weight(2), 1.0);
  EXPECT_EQ(fx->Weight(1), 0.0);

  // Prepare jumps to the targets.
  fx->SetParameter(0, kPlate);
  fx->Prepare(96000.0);
  EXPECT_EQ(fx->Weight(1), 1.0);
  EXPECT_EQ(fx->Weight(2), 0.0);
  EXPECT_DOUBLE_EQ(fx->WeightStep(), 1.0 / 4800.0);
}

// Hall rings after noise; the input then stays silent, so whatever comes out is a core's tail.
// The mode goes to "Room" and back to "Hall" after `backAfter` samples.
double TailAfterSwitchingBack(int backAfter) {
  auto fx = Make(48000.0, kHall);
  fx->SetParameter(2, 1.0);
  Noise noise;
  double l = 0.0, r = 0.0;
  for (int n = 0; n < 9600; ++n) {
    l = noise.Next(), r = noise.Next();
    fx->Process(l, r);
  }
  // Let the pre-delay's low-pass empty, so the newly chosen room hears exact silence.
  for (int n = 0; n < 400; ++n) {
    l = r = 0.0;
    fx->Process(l, r);
  }
  fx->SetParameter(0, kRoom);
  for (int n = 0; n < backAfter; ++n) {
    l = r = 0.0;
    fx->Process(l, r);
  }
  fx->SetParameter(0, kHall);
  double energy = 0.0;
  for (int n = 0; n < 4800; ++n) {
    l = r = 0.0;
    fx->Process(l, r);
    energy += l * l + r * r;
  }
  return energy;
}

TEST(ReverbTest, ACoreThatFadedOutRestartsSilentButOneStillFadingKeepsItsTail) {
  EXPECT_GT(TailAfterSwitchingBack(1000), 1e-3) << "the hall was still fading: its tail continues";
  EXPECT_EQ(TailAfterSwitchingBack(2401), 0.0) << "the hall had faded out: it restarts clean";
}

TEST(ReverbTest, WidthZeroIsMonoAndToneDarkensTheTail) {
  auto fx = Make(48000.0, kPlate);
  fx->SetParameter(6, 0.0);
  auto out = Impulse(*fx, 20000);
  EXPECT_GT(Energy(out.left, 0, out.left.size()), 1e-4);
  EXPECT_EQ(out.left, out.right);

  // Tone at its lowest (1 kHz) keeps its coefficient across a Prepare at the same rate.
  fx->SetParameter(5, 0.0);
  const double coef = fx->ToneCoef();
  EXPECT_DOUBLE_EQ(coef, 1.0 - std::exp(-2.0 * M_PI * 1000.0 / 48000.0));
  fx->Prepare(48000.0);
  EXPECT_EQ(fx->ToneCoef(), coef);
  fx->Prepare(192000.0);
  EXPECT_DOUBLE_EQ(fx->ToneCoef(), 1.0 - std::exp(-2.0 * M_PI * 1000.0 / 192000.0));
}

TEST(ReverbTest, EveryCoreRunsAtEveryRate) {
  auto fx = std::make_unique<Reverb>();
  for (double rate : {0.0, 44100.0, 96000.0, 192000.0}) {
    for (double mode : {kHall, kPlate, kRoom}) {
      fx->Prepare(rate);
      fx->SetParameter(0, mode);
      fx->SetParameter(7, 1.0);
      fx->SetParameter(1, 1.0);
      fx->Prepare(rate);
      const double r = rate > 0.0 ? rate : 48000.0;
      const auto out = Impulse(*fx, static_cast<int>(0.6 * r));
      EXPECT_GT(Energy(out.left, 0, out.left.size()), 1e-4) << rate << " " << mode;
      for (std::size_t i = 0; i < out.left.size(); ++i)
        ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i]));
    }
  }
}

TEST(ReverbTest, NoiseAtMaximumDecayStaysFiniteAndBoundedFor60Seconds) {
  for (double mode : {kHall, kPlate, kRoom}) {
    auto fx = Make(48000.0, mode);
    fx->SetParameter(2, 1.0); // 10 s
    fx->SetParameter(3, 0.0); // no damping
    fx->SetParameter(4, 1.0);
    Noise noise;
    double peak = 0.0;
    for (int n = 0; n < 60 * 48000; ++n) {
      double l = noise.Next(), r = noise.Next();
      fx->Process(l, r);
      peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
    }
    EXPECT_TRUE(std::isfinite(peak)) << mode;
    EXPECT_LT(peak, 20.0) << mode;
    // Once the input stops, the shortest decay dies away.
    fx->SetParameter(2, 0.0);
    std::vector<double> tail;
    for (int n = 0; n < 4 * 48000; ++n) {
      double l = 0.0, r = 0.0;
      fx->Process(l, r);
      tail.push_back(l);
    }
    EXPECT_LT(Energy(tail, 3 * 48000, 4 * 48000), 1e-12 * Energy(tail, 0, 48000)) << mode;
    // ... and ends in exact zeros rather than lingering in slow subnormal numbers.
    double l = 0.0, r = 0.0;
    for (int n = 0; n < 12 * 48000; ++n) {
      l = r = 0.0;
      fx->Process(l, r);
    }
    EXPECT_EQ(l, 0.0) << mode;
    EXPECT_EQ(r, 0.0) << mode;
  }
}

} // namespace

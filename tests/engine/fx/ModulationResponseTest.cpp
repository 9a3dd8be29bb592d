// Chorus, flanger and phaser audio: delay-line impulse responses, dry paths, nulls, stability and rates.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/fx/modulation/DigitalChorus.h"
#include "engine/fx/modulation/Flanger.h"
#include "engine/fx/modulation/Phaser.h"
#include "engine/fx/modulation/PitchChorus.h"
#include "engine/fx/modulation/StudioChorus.h"
#include "engine/fx/modulation/SynthChorus.h"
#include "tests/engine/fx/dynamics/FxTestSignals.h"

using namespace vlm::dsp;
using namespace vlm::dsp::test;

namespace {

template <typename Effect>
std::unique_ptr<Effect> Make(double rate, std::vector<std::pair<int, double>> params) {
  auto fx = std::make_unique<Effect>();
  fx->Prepare(rate);
  for (auto [index, value] : params)
    fx->SetParameter(index, value);
  return fx;
}

Stereo RunNoise(EffectBase& fx, int frames, std::vector<double>* input = nullptr) {
  Noise noise;
  Stereo out;
  for (int n = 0; n < frames; ++n) {
    double l = noise.Next();
    double r = noise.Next();
    if (input)
      input->push_back(l), input->push_back(r);
    fx.Process(l, r);
    out.left.push_back(l);
    out.right.push_back(r);
  }
  return out;
}

// Indices of the samples that are not exactly zero.
std::vector<int> NonZero(const std::vector<double>& x, double floor = 0.0) {
  std::vector<int> at;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > floor)
      at.push_back(static_cast<int>(i));
  return at;
}

TEST(ModulationResponseTest, DigitalChorusReadsItsBaseDelay) {
  // One voice, no depth, no feedback, full mix: a pure delay of 7 ms.
  auto fx = Make<DigitalChorus>(48000.0, {{1, 0.0}, {3, 0.0}, {4, 1.0}, {5, 0.0}, {2, 0.5}});
  auto out = Impulse(*fx, 1000);
  EXPECT_EQ(NonZero(out.left), std::vector<int>{336});
  EXPECT_DOUBLE_EQ(out.left[336], 1.0);
  EXPECT_EQ(NonZero(out.right), std::vector<int>{336});

  // At 44.1 kHz the 308.7-sample delay splits the impulse by linear interpolation.
  fx = Make<DigitalChorus>(44100.0, {{1, 0.0}, {3, 0.0}, {4, 1.0}, {5, 0.0}, {2, 0.5}});
  out = Impulse(*fx, 1000);
  EXPECT_EQ(NonZero(out.left), (std::vector<int>{308, 309}));
  EXPECT_NEAR(out.left[308], 0.3, 1e-9);
  EXPECT_NEAR(out.left[309], 0.7, 1e-9);

  // Two voices are scaled by 1/sqrt(2).
  fx = Make<DigitalChorus>(48000.0, {{1, 0.0}, {3, 0.0}, {4, 1.0}, {5, 1.0 / 3.0}, {2, 0.5}});
  out = Impulse(*fx, 1000);
  EXPECT_NEAR(out.left[336], 2.0 / std::sqrt(2.0), 1e-12);
}

TEST(ModulationResponseTest, FlangerDelaysByTheManualTime) {
  auto fx = Make<Flanger>(48000.0, {{1, 0.0}, {2, 0.0}, {3, 0.0}, {5, 1.0}});
  const auto out = Impulse(*fx, 200, 1.0, 0.0);
  EXPECT_EQ(NonZero(out.left), (std::vector<int>{0, 24}));
  EXPECT_DOUBLE_EQ(out.left[0], 0.5);
  EXPECT_DOUBLE_EQ(out.left[24], 0.5);
  EXPECT_TRUE(NonZero(out.right).empty());
}

TEST(ModulationResponseTest, PitchChorusAtZeroCentsIsTwoFixedDelays) {
  // Voice A: tap window 1024 samples; voice B another 10 ms (480 samples) back.
  auto fx =
      Make<PitchChorus>(48000.0, {{0, 0.5}, {1, 0.5}, {2, 0.0}, {3, 0.02}, {4, 0.0}, {6, 0.0}, {7, 1.0}});
  const auto out = Impulse(*fx, 3000);
  EXPECT_EQ(NonZero(out.left, 1e-12), std::vector<int>{1024});
  EXPECT_EQ(NonZero(out.right, 1e-12), std::vector<int>{1504});
  // The two crossfaded taps read the same sample; their windows sum to between 1 and sqrt(2).
  EXPECT_GE(out.left[1024], 1.0 - 1e-9);
  EXPECT_LE(out.left[1024], std::sqrt(2.0) + 1e-9);
}

TEST(ModulationResponseTest, ChorusesStaySilentUntilTheirShortestDelay) {
  // Synth chorus "60" "I": 345.6 samples swung by at most 1/1.16.
  auto synth = Make<SynthChorus>(48000.0, {});
  auto out = Impulse(*synth, 1000);
  for (int n = 1; n < 297; ++n)
    ASSERT_EQ(out.left[n], 0.0) << n;
  EXPECT_GT(NonZero(out.left).size(), 100u);

  // Studio chorus mode "1": 480 +- 96 samples.
  auto studio = Make<StudioChorus>(48000.0, {});
  out = Impulse(*studio, 1000);
  EXPECT_EQ(out.left[0], 1.0) << "the dry signal passes at full level";
  for (int n = 1; n < 384; ++n)
    ASSERT_EQ(out.left[n], 0.0) << n;
  EXPECT_GT(NonZero(out.left).size(), 100u);
}

TEST(ModulationResponseTest, ZeroMixPassesTheInputExactly) {
  std::vector<std::unique_ptr<EffectBase>> effects;
  effects.push_back(Make<SynthChorus>(48000.0, {{3, 0.0}}));
  effects.push_back(Make<DigitalChorus>(48000.0, {{3, 1.0}, {4, 0.0}, {1, 1.0}}));
  effects.push_back(Make<Flanger>(48000.0, {{2, 1.0}, {5, 0.0}, {1, 1.0}}));
  effects.push_back(Make<Phaser>(48000.0, {{2, 1.0}, {6, 0.0}}));
  effects.push_back(Make<PitchChorus>(48000.0, {{6, 1.0}, {7, 0.0}}));
  for (std::size_t i = 0; i < effects.size(); ++i) {
    std::vector<double> in;
    const auto out = RunNoise(*effects[i], 4000, &in);
    for (int n = 0; n < 4000; ++n) {
      ASSERT_EQ(out.left[n], in[2 * n]) << "effect " << i << " sample " << n;
      ASSERT_EQ(out.right[n], in[2 * n + 1]) << "effect " << i << " sample " << n;
    }
  }
}

TEST(ModulationResponseTest, InvertedThroughZeroFlangerWithoutDepthNullsExactly) {
  // Both the swept read and the reference sit at the manual delay: colour -1 cancels them.
  auto fx = Make<Flanger>(48000.0, {{0, 0.7}, {1, 0.0}, {2, 0.6}, {3, 0.4}, {5, 1.0}, {6, 1.0}, {7, 1.0}});
  const auto out = RunNoise(*fx, 20000);
  EXPECT_TRUE(NonZero(out.left).empty());
  EXPECT_TRUE(NonZero(out.right).empty());
}

TEST(ModulationResponseTest, PhaserChainIsAllpass) {
  // With no sweep and no feedback the wet path keeps the energy of the impulse.
  auto fx = Make<Phaser>(48000.0, {{1, 0.0}, {2, 0.0}, {3, 1.0}, {6, 1.0}});
  const auto out = Impulse(*fx, 48000);
  double energy = 0.0;
  for (int n = 0; n < 48000; ++n) {
    const double wet = 2.0 * out.left[n] - (n == 0 ? 1.0 : 0.0);
    energy += wet * wet;
  }
  EXPECT_NEAR(energy, 1.0, 1e-6);
}

TEST(ModulationResponseTest, StudioChorusMode4IsLouderInTheWetOnly) {
  auto three = Make<StudioChorus>(48000.0, {{0, 2.0 / 3.0}});
  auto four = Make<StudioChorus>(48000.0, {{0, 1.0}});
  std::vector<double> in;
  const auto a = RunNoise(*three, 4000, &in);
  const auto b = RunNoise(*four, 4000);
  const double ratio = std::pow(10.0, 4.5 / 20.0);
  int checked = 0;
  for (int n = 0; n < 4000; ++n) {
    const double wetA = a.left[n] - in[2 * n];
    const double wetB = b.left[n] - in[2 * n];
    if (std::fabs(wetA) > 1e-6) {
      EXPECT_NEAR(wetB / wetA, ratio, 1e-6) << n;
      ++checked;
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST(ModulationResponseTest, SynthChorusWidthZeroGivesEqualOutputs) {
  auto fx = Make<SynthChorus>(48000.0, {{0, 1.0}, {1, 1.0}, {2, 0.0}});
  const auto out = RunNoise(*fx, 4000);
  for (int n = 0; n < 4000; ++n)
    ASSERT_EQ(out.left[n], out.right[n]) << n;
}

// Each effect with everything turned up, for the stability run.
std::vector<std::unique_ptr<EffectBase>> LoudEffects(double rate) {
  std::vector<std::unique_ptr<EffectBase>> effects;
  effects.push_back(Make<SynthChorus>(rate, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
  effects.push_back(Make<StudioChorus>(rate, {{0, 1}, {1, 1}}));
  effects.push_back(Make<DigitalChorus>(rate, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}}));
  effects.push_back(
      Make<Flanger>(rate, {{0, 0.2}, {1, 1}, {2, 1}, {3, 0.3}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}));
  effects.push_back(Make<Phaser>(rate, {{0, 0.3}, {1, 1}, {2, 1}, {3, 1}, {4, 0.5}, {5, 1}, {6, 1}, {7, 1}}));
  effects.push_back(
      Make<PitchChorus>(rate, {{0, 1}, {1, 0}, {2, 0.3}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}));
  return effects;
}

TEST(ModulationResponseTest, SixtySecondsOfNoiseAtMaximumFeedbackStayFinite) {
  auto effects = LoudEffects(48000.0);
  for (std::size_t i = 0; i < effects.size(); ++i) {
    Noise noise;
    double peak = 0.0;
    for (int n = 0; n < 60 * 48000; ++n) {
      double l = noise.Next(), r = noise.Next();
      effects[i]->Process(l, r);
      peak = std::max({peak, std::fabs(l), std::fabs(r)});
    }
    EXPECT_TRUE(std::isfinite(peak)) << "effect " << i;
    EXPECT_LT(peak, 100.0) << "effect " << i;
  }
}

TEST(ModulationResponseTest, PrepareAtZeroIsPrepareAt48kAndEveryRateRuns) {
  auto at48 = LoudEffects(48000.0);
  auto at0 = LoudEffects(0.0);
  for (std::size_t i = 0; i < at48.size(); ++i) {
    const auto a = RunNoise(*at48[i], 3000);
    const auto b = RunNoise(*at0[i], 3000);
    EXPECT_EQ(a.left, b.left) << "effect " << i;
    EXPECT_EQ(a.right, b.right) << "effect " << i;
  }
  // Parameters set at one rate, then a new Prepare at another: nothing reads outside a line.
  auto effects = LoudEffects(192000.0);
  for (double rate : {44100.0, 96000.0, 192000.0, 8000.0, 44100.0}) {
    for (std::size_t i = 0; i < effects.size(); ++i) {
      effects[i]->Prepare(rate);
      const auto out = RunNoise(*effects[i], static_cast<int>(rate / 4));
      for (double x : out.left)
        ASSERT_TRUE(std::isfinite(x)) << "effect " << i << " at " << rate;
    }
  }
}

TEST(ModulationResponseTest, ResetClearsTheLines) {
  auto effects = LoudEffects(48000.0);
  for (std::size_t i = 0; i < effects.size(); ++i) {
    RunNoise(*effects[i], 5000);
    effects[i]->Reset();
    double l = 0.0, r = 0.0;
    double peak = 0.0;
    for (int n = 0; n < 5000; ++n) {
      l = r = 0.0;
      effects[i]->Process(l, r);
      peak = std::max({peak, std::fabs(l), std::fabs(r)});
    }
    EXPECT_EQ(peak, 0.0) << "effect " << i;
  }
}

} // namespace

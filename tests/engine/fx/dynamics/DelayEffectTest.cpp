// Delay: synced and free times, impulse positions, crossfaded time changes, ping-pong, tone and mix.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/fx/dynamics/Delay.h"
#include "tests/engine/fx/dynamics/FxTestSignals.h"

using namespace vlm::dsp;
using namespace vlm::dsp::test;

namespace {

constexpr double kHalfNote = 1.0;       // "Time" (sync) value of division 11, "1/2"
constexpr double kQuarter = 9.0 / 11.0; // division 9, "1/4"
constexpr double kSixtyFourth = 0.0;    // division 0, "1/64"

// Mix 1 ("wet only"), width 1, no feedback.
std::unique_ptr<Delay> MakeWet(double rate) {
  auto fx = std::make_unique<Delay>();
  fx->Prepare(rate);
  fx->SetParameter(7, 1.0);
  return fx;
}

TEST(DelayEffectTest, ImpulseArrivesAfterTheFreeOrSyncedTime) {
  struct Case {
    double rate;
    int mode;
    double time;
    int expectedAt;
  };
  // 2000 ms free and "1/2" at 120 BPM (one second).
  const Case cases[] = {{48000.0, 1, 1.0, 96000},
                        {44100.0, 1, 1.0, 88200},
                        {48000.0, 0, kHalfNote, 48000},
                        {96000.0, 0, kHalfNote, 96000}};
  for (const Case& c : cases) {
    auto fx = MakeWet(c.rate);
    fx->SetParameter(0, c.mode);
    fx->SetParameter(c.mode == 1 ? 2 : 1, c.time);
    fx->Reset(); // start the check without a crossfade from the default time
    const auto out = Impulse(*fx, c.expectedAt + 100);
    EXPECT_EQ(Above(out.left, 1e-15), std::vector<int>{c.expectedAt}) << c.rate << " mode " << c.mode;
    EXPECT_DOUBLE_EQ(out.left[c.expectedAt], 1.0);
    EXPECT_DOUBLE_EQ(out.right[c.expectedAt], 1.0);
  }
}

TEST(DelayEffectTest, PrepareSizesTheLinesAndTheCrossfadeForEachRate) {
  auto fx = std::make_unique<Delay>();
  struct Case {
    double rate;
    std::size_t length;
    int crossfade;
  };
  const Case cases[] = {{0.0, 120000, 960},      {44100.0, 110250, 882},   {48000.0, 120000, 960},
                        {96000.0, 240000, 1920}, {192000.0, 480000, 3840}, {10.0, 64, 1}};
  for (const Case& c : cases) {
    fx->Prepare(c.rate);
    EXPECT_EQ(fx->LineLength(), c.length) << c.rate;
    EXPECT_EQ(fx->CrossfadeLength(), c.crossfade) << c.rate;
    EXPECT_FALSE(fx->Crossfading());
    // Longest free time, full feedback: every read stays inside the line (ASan watches).
    fx->SetParameter(0, 1.0);
    fx->SetParameter(2, 1.0);
    fx->SetParameter(4, 1.0);
    fx->SetParameter(7, 0.5);
    EXPECT_LE(fx->CurrentDelay(), static_cast<double>(c.length - 4));
    Noise noise;
    for (int n = 0; n < 20000; ++n) {
      double l = noise.Next(), r = noise.Next();
      fx->Process(l, r);
      ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
    }
  }
}

TEST(DelayEffectTest, TimeChangesCrossfadeFromTheOldReadPosition) {
  auto fx = MakeWet(48000.0);
  fx->SetParameter(1, kQuarter);
  fx->Reset();
  ASSERT_DOUBLE_EQ(fx->CurrentDelay(), 24000.0);

  // Less than a sample of change is ignored.
  fx->SetTempo(120.004);
  EXPECT_FALSE(fx->Crossfading());
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 24000.0);
  // Ignored tempos.
  for (double bpm : {0.0, -10.0, std::nan(""), 120.0040005})
    fx->SetTempo(bpm);
  EXPECT_DOUBLE_EQ(fx->Tempo(), 120.004);

  // An impulse, then 125 BPM at sample 23500: the old read (24000) fades out over 960 samples and
  // the impulse, 500 samples into the fade, comes out at cos(500/960 x pi/2).
  Stereo out;
  for (int n = 0; n < 25000; ++n) {
    if (n == 23500) {
      fx->SetTempo(125.0);
      EXPECT_TRUE(fx->Crossfading());
      EXPECT_DOUBLE_EQ(fx->PreviousDelay(), 24000.0);
      EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 23040.0);
    }
    double l = n == 0 ? 1.0 : 0.0, r = l;
    fx->Process(l, r);
    out.left.push_back(l);
  }
  EXPECT_EQ(Above(out.left, 1e-15), std::vector<int>{24000});
  EXPECT_NEAR(out.left[24000], std::cos(500.0 / 960.0 * M_PI / 2.0), 1e-12);
  EXPECT_FALSE(fx->Crossfading());
}

TEST(DelayEffectTest, TimeParametersOnlyMoveTheTimeOfTheirMode) {
  auto fx = MakeWet(48000.0);
  fx->SetParameter(2, 1.0); // free time while in sync mode: stored only
  EXPECT_DOUBLE_EQ(fx->FreeMs(), 2000.0);
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 6000.0) << "default \"1/16\" at 120 BPM";
  fx->SetParameter(0, 0.6); // "Free"
  EXPECT_EQ(fx->Mode(), 1);
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 96000.0);
  fx->SetParameter(1, 0.5); // N(5.5) = 6, "1/8": stored only
  EXPECT_EQ(fx->Division(), 6);
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 96000.0);
  fx->SetTempo(60.0); // tempo does not move a free time
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 96000.0);
  fx->SetParameter(0, 0.4); // back to "Sync": "1/8" at 60 BPM
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 24000.0);
  fx->SetParameter(2, 0.0);
  EXPECT_DOUBLE_EQ(fx->FreeMs(), 1.0);
}

TEST(DelayEffectTest, FeedbackRepeatsUnfilteredUntilToneIsSetAndToneSurvivesPrepare) {
  auto fx = MakeWet(48000.0);
  fx->SetParameter(1, kSixtyFourth); // 1500 samples at 120 BPM
  fx->SetParameter(4, 1.0);          // feedback 0.95
  fx->Reset();
  EXPECT_EQ(fx->ToneCoef(), 1.0);
  auto out = Impulse(*fx, 4600);
  EXPECT_EQ(Above(out.left, 1e-15), (std::vector<int>{1500, 3000, 4500}));
  EXPECT_DOUBLE_EQ(out.left[3000], 0.95);
  EXPECT_NEAR(out.left[4500], 0.95 * 0.95, 1e-15);

  // "Tone" at 0 (500 Hz) smears the repeats but not the first echo.
  fx->SetParameter(5, 0.0);
  const double coef48 = 1.0 - std::exp(-2.0 * M_PI * 500.0 / 48000.0);
  EXPECT_DOUBLE_EQ(fx->ToneCoef(), coef48);
  fx->Reset();
  out = Impulse(*fx, 4600);
  EXPECT_DOUBLE_EQ(out.left[1500], 1.0);
  EXPECT_LT(out.left[3000], 0.95 * coef48 + 1e-12);
  EXPECT_GT(out.left[3001], 0.0);

  // A new Prepare keeps the tone, re-derived for the rate, and the same rate gives the same value.
  fx->Prepare(48000.0);
  EXPECT_DOUBLE_EQ(fx->ToneCoef(), coef48);
  fx->Prepare(96000.0);
  EXPECT_DOUBLE_EQ(fx->ToneCoef(), 1.0 - std::exp(-2.0 * M_PI * 500.0 / 96000.0));
  EXPECT_DOUBLE_EQ(fx->CurrentDelay(), 3000.0) << "the synced time follows the rate too";
}

TEST(DelayEffectTest, PingPongAlternatesTheRepeatsBetweenTheSides) {
  auto fx = MakeWet(48000.0);
  fx->SetParameter(1, kSixtyFourth);
  fx->SetParameter(3, 1.0);
  fx->SetParameter(4, 1.0);
  fx->Reset();
  const auto out = Impulse(*fx, 4600, 1.0, 0.0); // left only: the lines take the mono sum 0.5
  EXPECT_EQ(Above(out.left, 1e-15), (std::vector<int>{1500, 4500}));
  EXPECT_EQ(Above(out.right, 1e-15), std::vector<int>{3000});
  EXPECT_DOUBLE_EQ(out.left[1500], 0.5);
  EXPECT_DOUBLE_EQ(out.right[3000], 0.5 * 0.95);
  EXPECT_NEAR(out.left[4500], 0.5 * 0.95 * 0.95, 1e-15);
}

TEST(DelayEffectTest, MixAndWidth) {
  auto fx = std::make_unique<Delay>();
  fx->Prepare(48000.0);
  fx->SetParameter(4, 0.7);
  fx->SetParameter(7, 0.0);
  Noise noise;
  for (int n = 0; n < 20000; ++n) {
    const double inL = noise.Next(), inR = noise.Next();
    double l = inL, r = inR;
    fx->Process(l, r);
    ASSERT_EQ(l, inL);
    ASSERT_EQ(r, inR);
  }

  // Width 0 folds the echoes to mono; mix 1 leaves no audible dry signal.
  fx = MakeWet(48000.0);
  fx->SetParameter(1, kSixtyFourth);
  fx->SetParameter(3, 1.0);
  fx->SetParameter(6, 0.0);
  fx->Reset();
  const auto out = Impulse(*fx, 1600, 1.0, 0.0);
  EXPECT_LT(std::fabs(out.left[0]), 1e-15);
  EXPECT_DOUBLE_EQ(out.left[1500], 0.25);
  EXPECT_DOUBLE_EQ(out.right[1500], 0.25);
}

} // namespace

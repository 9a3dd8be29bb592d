// LFO: waveforms at known phases, rate limits, sample and hold, tempo divisions and the per-voice delay.
#include "engine/lfo/Lfo.h"

#include <cstring>

#include <gtest/gtest.h>

#include "engine/lfo/LfoDelay.h"
#include "engine/lfo/LfoSyncDivision.h"

TEST(Lfo, WaveformsAtKnownPhases) {
  struct Case {
    std::uint8_t waveform;
    double expected[8]; // phases 0.125, 0.25, ..., 1.0 (= 0)
  };
  const Case cases[] = {
      {Lfo::kTriangle, {-0.5, 0.0, 0.5, 1.0, 0.5, 0.0, -0.5, -1.0}},
      {Lfo::kSawUp, {-0.75, -0.5, -0.25, 0.0, 0.25, 0.5, 0.75, -1.0}},
      {Lfo::kSawDown, {0.75, 0.5, 0.25, 0.0, -0.25, -0.5, -0.75, 1.0}},
      {Lfo::kSquare, {1.0, 1.0, 1.0, -1.0, -1.0, -1.0, -1.0, 1.0}},
      {9, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Lfo lfo;
    lfo.Prepare(100.0);
    lfo.SetRate(12.5); // increment 1/8
    lfo.mWaveform = c.waveform;
    for (int i = 0; i < 8; ++i)
      EXPECT_DOUBLE_EQ(lfo.Tick(), c.expected[i]) << int(c.waveform) << " tick " << i;
  }
}

TEST(Lfo, RatesAreHeldWithinTheirRanges) {
  Lfo lfo;
  lfo.Prepare(48000.0);
  lfo.SetRate(0.001);
  EXPECT_DOUBLE_EQ(lfo.RateHz(), 0.02);
  lfo.SetRate(100.0);
  EXPECT_DOUBLE_EQ(lfo.RateHz(), 64.0);
  lfo.SetRandomRate(300.0);
  EXPECT_EQ(lfo.RandomRateHz(), 250.0);
  lfo.SetRandomRate(0.0);
  EXPECT_EQ(lfo.RandomRateHz(), 0.02);
  lfo.SetRate(3.0);
  lfo.Prepare(96000.0);
  EXPECT_DOUBLE_EQ(lfo.RateHz(), 3.0);
  EXPECT_DOUBLE_EQ(lfo.Increment(), 3.0 / 96000.0);
  lfo.Prepare(0.0);
  EXPECT_DOUBLE_EQ(lfo.Increment(), 3.0 / 48000.0);
}

TEST(Lfo, RandomHoldsItsValueUntilItsClockWraps) {
  Lfo a, b;
  for (Lfo* lfo : {&a, &b}) {
    lfo->Prepare(128.0);
    lfo->SetRate(50.0);      // the free rate plays no part in the random waveform
    lfo->SetRandomRate(8.0); // wraps every 16 ticks
    lfo->mWaveform = Lfo::kRandom;
  }
  // Values of the xorshift sequence from 0xC0FFEE: 0xF89B3E70, 0x75FB4A9A, 0x89A89D0E.
  const double expected[] = {0.9422376677393913, -0.07826869469136, 0.0754581755027175};
  double held = 0.0;
  for (int cycle = 0; cycle < 3; ++cycle) {
    for (int i = 1; i < 16; ++i)
      ASSERT_EQ(a.Tick(), held);
    held = a.Tick();
    EXPECT_NEAR(held, expected[cycle], 1e-15) << cycle;
  }
  for (int i = 0; i < 48; ++i)
    b.Tick();
  EXPECT_EQ(b.LastOutput(), a.LastOutput()); // each LFO has its own generator from the same seed
}

TEST(Lfo, RestartGoesToPhaseZeroWithANewRandomValue) {
  Lfo lfo;
  lfo.Prepare(48000.0);
  for (int i = 0; i < 1000; ++i)
    lfo.Tick();
  lfo.Restart();
  EXPECT_EQ(lfo.Phase(), 0.0);
  EXPECT_EQ(lfo.LastOutput(), 0.0);
  EXPECT_NEAR(lfo.RandomValue(), 0.9422376677393913, 1e-15);
}

TEST(LfoSync, DivisionsAndRates) {
  EXPECT_STREQ(kLfoSyncDivisions[kLfoSyncDefaultDivision].text, "1/4");
  for (int i = 1; i < kLfoSyncDivisionCount; ++i)
    EXPECT_LT(kLfoSyncDivisions[i].beats, kLfoSyncDivisions[i - 1].beats) << i;
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(0.0, 8), 2.0);
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(-5.0, 0), 0.0625);
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(120.0, 13), 6.0);
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(90.0, 7), 1.125);
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(120.0, -4), 0.0625);
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(120.0, 99), 48.0);
  // "1/64T" at 160 BPM asks for exactly the upper limit.
  EXPECT_DOUBLE_EQ(LfoSyncRateHz(160.0, 21), 64.0);
  Lfo lfo;
  lfo.Prepare(48000.0);
  lfo.SetRate(LfoSyncRateHz(160.0, 21));
  EXPECT_DOUBLE_EQ(lfo.RateHz(), 64.0);
}

TEST(LfoDelay, WaitsThenFadesInOver450Ms) {
  LfoDelay d;
  d.Prepare(48000.0);
  d.SetDelay(1000.0);
  d.Restart();
  for (int i = 0; i < 48000; ++i)
    ASSERT_EQ(d.Tick(), 0.0) << i;
  for (int i = 1; i < 21600; ++i) {
    const double depth = d.Tick();
    ASSERT_GT(depth, 0.0);
    ASSERT_LT(depth, 1.0) << i;
  }
  EXPECT_EQ(d.Tick(), 1.0);
  EXPECT_EQ(d.Tick(), 1.0);
}

TEST(LfoDelay, DelayLimitsAndNoDelay) {
  LfoDelay d;
  d.Prepare(0.0);
  d.SetDelay(20000.0);
  EXPECT_EQ(d.DelayMs(), 10000.0);
  EXPECT_EQ(d.DelaySamples(), 480000.0);
  d.SetDelay(0.0);
  EXPECT_EQ(d.DelaySamples(), 0.0);
  EXPECT_EQ(d.FadeIncrement(), 1.0);
  d.Restart();
  EXPECT_EQ(d.Tick(), 1.0);
  d.SetDelay(-3.0);
  EXPECT_EQ(d.DelayMs(), 0.0);
  d.SetDelay(10.0);
  d.Restart();
  EXPECT_EQ(d.Tick(), 0.0);
  d.Reset();
  EXPECT_EQ(d.Tick(), 1.0);
}

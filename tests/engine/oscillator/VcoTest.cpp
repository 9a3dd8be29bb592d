// Oscillator: waveform values at known phases, band-limiting kernels, colouring series, hard sync.
#include "engine/oscillator/Vco.h"

#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "engine/oscillator/PolyBlep.h"

namespace {

Vco MakeVco(std::uint8_t waveform, double rate = 48000.0, double hz = 0.0) {
  Vco v;
  v.Prepare(rate);
  v.mWaveform = waveform;
  v.SetFrequency(hz);
  return v;
}

// The colouring series written out directly, for comparison with the Chebyshev polynomial.
double DirectColouring(double phase, double dt) {
  const double theta = 2.0 * std::numbers::pi * (phase - 0.5);
  double sum = 0.0;
  for (int k = 2; k <= 14; ++k)
    sum += TriangleColouring::kAmplitudes[k - 2] * TriangleColouring::Weight(k * dt) * std::cos(k * theta);
  return sum;
}

// Magnitude of the DFT bin at a whole number of hertz over one second of signal (Goertzel).
double BinMagnitude(const std::vector<double>& x, double hz, double rate) {
  const double w = 2.0 * std::numbers::pi * hz / rate;
  const double c = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (double v : x) {
    const double s0 = v + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2) / x.size();
}

// Summed magnitude of the aliases of harmonics 9..40 of f (all folded below Nyquist).
double AliasEnergy(const std::vector<double>& x, int hz, int rate) {
  double sum = 0.0;
  for (int k = 9; k <= 40; ++k) {
    int alias = (k * hz) % rate;
    if (alias > rate / 2)
      alias = rate - alias;
    if (k * hz > rate / 2)
      sum += BinMagnitude(x, alias, rate);
  }
  return sum;
}

} // namespace

TEST(Vco, CorrectionsReduceAliasing) {
  const int rate = 48000, hz = 3001; // a whole number of cycles in one second: clean bins
  for (std::uint8_t waveform : {Vco::kTriangle, Vco::kSawtooth, Vco::kPulse}) {
    Vco v = MakeVco(waveform, rate, hz);
    v.SetPulseWidth(0.3);
    TriangleColouring colouring;
    colouring.Update(static_cast<double>(hz) / rate);
    std::vector<double> corrected, naive;
    for (int i = 0; i < rate; ++i) {
      const double p = v.Phase();
      double n = v.NaiveValue(p);
      if (waveform == Vco::kTriangle)
        n += colouring.Evaluate(p);
      naive.push_back(n);
      corrected.push_back(v.RenderSample());
    }
    // The triangle's corner correction is a half-strength BLAMP: it removes about 45 % of the
    // aliasing (a full-strength one would remove nearly 90 %).
    const double limit = waveform == Vco::kTriangle ? 0.6 : 0.25;
    EXPECT_LT(AliasEnergy(corrected, hz, rate), limit * AliasEnergy(naive, hz, rate)) << int(waveform);
  }
}

TEST(Vco, RateOfZeroOrBelowBehavesAs48k) {
  for (double rate : {0.0, -44100.0}) {
    Vco v;
    v.Prepare(rate);
    EXPECT_EQ(v.SampleRate(), 48000.0);
    v.SetFrequency(1e9);
    EXPECT_EQ(v.Increment(), 0.5);
  }
}

TEST(Vco, PrepareKeepsFrequencyAndClampsItToTheNewNyquist) {
  Vco v;
  v.Prepare(48000.0);
  v.SetFrequency(1000.0);
  v.Prepare(96000.0);
  EXPECT_DOUBLE_EQ(v.Increment(), 1000.0 / 96000.0);
  v.Prepare(1200.0);
  EXPECT_DOUBLE_EQ(v.Increment(), 0.5);
}

TEST(Vco, NegativeFrequencyRunsBackwardsAndWrapsWithTheFlag) {
  Vco v = MakeVco(Vco::kSawtooth, 48000.0, -1200.0);
  v.RenderSample();
  EXPECT_TRUE(v.Wrapped());
  EXPECT_DOUBLE_EQ(v.Phase(), 1.0 - 1200.0 / 48000.0);
  v.RenderSample();
  EXPECT_FALSE(v.Wrapped());
  EXPECT_LT(v.Phase(), v.PreviousPhase());
}

TEST(Vco, WithIncrementZeroNoCorrectionApplies) {
  Vco saw = MakeVco(Vco::kSawtooth);
  EXPECT_EQ(saw.RenderSample(), -1.0);
  Vco pulse = MakeVco(Vco::kPulse);
  pulse.SetPulseWidth(0.3);
  EXPECT_EQ(pulse.RenderSample(), 1.0);
  Vco square = MakeVco(Vco::kSquare);
  square.SetPhase(0.75);
  EXPECT_EQ(square.RenderSample(), -1.0);
  EXPECT_FALSE(square.Wrapped());
}

TEST(Vco, WaveformValuesAtKnownPhases) {
  struct Case {
    std::uint8_t waveform;
    double width;
    double phase;
    double expected;
  };
  // 1 Hz: the kernels are 0 away from the edges and the triangle colouring is full.
  const Case cases[] = {
      {Vco::kSawtooth, 0.5, 0.25, -0.5},
      {Vco::kSawtooth, 0.5, 0.75, 0.5},
      {Vco::kPulse, 0.3, 0.2, 1.0},
      {Vco::kPulse, 0.3, 0.5, -1.0},
      {Vco::kPulse, 0.05, 0.02, 1.0},    // full level from width 0.05
      {Vco::kPulse, 0.032, 0.5, -0.795}, // halfway down the narrow-pulse fade: 0.59 + 0.41 x 0.5
      {Vco::kPulse, 0.014, 0.5, -0.59},
      {Vco::kPulse, 0.0, 0.5, -0.59},
      {Vco::kSquare, 0.1, 0.4, 1.0},
      {Vco::kSquare, 0.1, 0.6, -1.0},
      {7, 0.5, 0.3, 0.0},
  };
  for (const Case& c : cases) {
    Vco v = MakeVco(c.waveform, 48000.0, 1.0);
    v.SetPulseWidth(c.width);
    v.SetPhase(c.phase);
    EXPECT_NEAR(v.RenderSample(), c.expected, 1e-12)
        << int(c.waveform) << " w " << c.width << " p " << c.phase;
  }
  for (double p : {0.0, 0.1, 0.25, 0.5, 0.8}) {
    Vco tri = MakeVco(Vco::kTriangle, 48000.0, 1.0);
    tri.SetPhase(p);
    const double naive = p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
    const double dt = 1.0 / 48000.0;
    const double blamp = (p == 0.0 ? 8.0 * dt / 12.0 : 0.0) - (p == 0.5 ? 8.0 * dt / 12.0 : 0.0);
    EXPECT_NEAR(tri.RenderSample(), naive + blamp + DirectColouring(p, dt), 1e-12) << p;
  }
}

TEST(Vco, CorrectionKernels) {
  EXPECT_EQ(PolyBlep(0.0, 0.1), -1.0);
  EXPECT_NEAR(PolyBlep(0.05, 0.1), -0.25, 1e-15);
  EXPECT_NEAR(PolyBlep(0.95, 0.1), 0.25, 1e-12);
  EXPECT_EQ(PolyBlep(0.5, 0.1), 0.0);
  EXPECT_EQ(PolyBlep(0.0, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(PolyBlamp(0.0), 1.0 / 12.0);
  EXPECT_DOUBLE_EQ(PolyBlamp(-0.5), 0.125 / 12.0);
  EXPECT_EQ(PolyBlamp(-1.0), 0.0);
  EXPECT_EQ(PolyBlamp(1.0), 0.0);
}

TEST(Vco, SawtoothIsBandLimitedAtItsWrap) {
  // A step of -2 is spread over the two samples beside it: they sum to what a centred step gives.
  Vco v = MakeVco(Vco::kSawtooth, 48000.0, 4800.0); // dt 0.1
  v.SetPhase(0.95);
  const double before = v.RenderSample(); // p 0.95: 0.9 - 0.25
  const double after = v.RenderSample();  // p 0.05: -0.9 + 0.25
  EXPECT_NEAR(before, 0.65, 1e-12);
  EXPECT_NEAR(after, -0.65, 1e-12);
}

TEST(Vco, ColouringWeightsFadeBetween038And047OfTheRate) {
  EXPECT_EQ(TriangleColouring::Weight(0.38), 1.0);
  EXPECT_EQ(TriangleColouring::Weight(0.47), 0.0);
  EXPECT_NEAR(TriangleColouring::Weight(0.425), 0.5, 1e-12);
  TriangleColouring c;
  c.Update(0.5);
  EXPECT_FALSE(c.Active()); // even harmonic 2 is at the rate
  c.Update(-0.03);          // harmonics 13 and 14 fading, sign ignored
  EXPECT_TRUE(c.Active());
  EXPECT_EQ(c.Weights()[10], 1.0);
  EXPECT_NEAR(c.Weights()[11], 1.0 - (3.0 - 2.0 * (0.01 / 0.09)) * (0.01 / 0.09) * (0.01 / 0.09), 1e-12);
  for (double p : {0.0, 0.13, 0.5, 0.77, 0.999})
    EXPECT_NEAR(c.Evaluate(p), DirectColouring(p, 0.03), 1e-13) << p;
}

// A pitch moving within the full-weight range skips the rebuild; the series must still be the one a
// fresh rebuild gives at every increment along a path in and out of that range.
TEST(Vco, ColouringFollowsAPitchPathInAndOutOfTheFullWeightRange) {
  TriangleColouring c;
  for (double dt : {0.01, 0.02, -0.015, 0.38 / 14.0, 0.03, 0.012, 0.0271, 0.5, 0.02, 0.033, 0.0}) {
    c.Update(dt);
    TriangleColouring fresh;
    fresh.Update(dt);
    EXPECT_EQ(c.Active(), fresh.Active()) << dt;
    EXPECT_EQ(c.Weights(), fresh.Weights()) << dt;
    if (!fresh.Active())
      continue;
    for (double p : {0.0, 0.21, 0.5, 0.9})
      EXPECT_EQ(c.Evaluate(p), fresh.Evaluate(p)) << dt << " " << p;
  }
}

TEST(Vco, HardSyncRestartsWithCorrectionAndTransient) {
  const double rate = 48000.0;
  Vco slave = MakeVco(Vco::kSawtooth, rate, 480.0); // increment 0.01
  slave.SetPhase(0.4);
  slave.RenderSample();
  // Master wrapped 0.25 of a sample ago: the slave was at 0.4 + 0.75 x 0.01 then.
  slave.HardSync(0.25);
  EXPECT_DOUBLE_EQ(slave.Phase(), 0.0025);
  const double tau = slave.SyncTransientTau();
  EXPECT_DOUBLE_EQ(tau, 2.0);

  Vco reference = MakeVco(Vco::kSawtooth, rate, 480.0);
  reference.SetPhase(0.0025);
  const double plain = reference.RenderSample();
  const double syncValue = 2.0 * 0.4075 - 1.0;
  const double correction = PolyBlep(0.0025, 0.01) * (1.0 - syncValue) / 2.0;
  EXPECT_NEAR(slave.RenderSample(), plain + correction - 1.2, 1e-12);
  for (int n = 1; n < 40; ++n) {
    const double expected = reference.RenderSample() - (n < 8 * tau ? 1.2 * std::exp(-n / tau) : 0.0);
    EXPECT_NEAR(slave.RenderSample(), expected, 1e-12) << n;
  }
}

TEST(Vco, SyncTransientLastsTheSameTimeAtEveryRate) {
  for (double rate : {22050.0, 96000.0, 192000.0}) {
    Vco v = MakeVco(Vco::kPulse, rate, 100.0);
    EXPECT_DOUBLE_EQ(v.SyncTransientTau(), 4.0 * rate / 96000.0);
  }
}

TEST(Vco, NoiseNeverWrapsAndSharedNoisePassesUnchanged) {
  Vco noise = MakeVco(Vco::kNoise, 48000.0, 20000.0);
  for (int i = 0; i < 1000; ++i) {
    noise.RenderSample();
    ASSERT_FALSE(noise.Wrapped());
  }
  EXPECT_EQ(noise.RenderSampleWithNoise(0.123), 0.123);
  EXPECT_EQ(noise.LastOutput(), 0.123);
  Vco saw = MakeVco(Vco::kSawtooth, 48000.0, 1.0);
  saw.SetPhase(0.25);
  EXPECT_NEAR(saw.RenderSampleWithNoise(0.9), -0.5, 1e-12);
}

TEST(Vco, SetPhaseAndPulseWidthStayInRange) {
  Vco v;
  v.SetPhase(-0.25);
  EXPECT_DOUBLE_EQ(v.Phase(), 0.75);
  v.SetPhase(-1e-20);
  EXPECT_LT(v.Phase(), 1.0);
  v.SetPulseWidth(1.5);
  EXPECT_EQ(v.PulseWidth(), 1.0);
  v.SetPulseWidth(-0.5);
  EXPECT_EQ(v.PulseWidth(), 0.0);
}

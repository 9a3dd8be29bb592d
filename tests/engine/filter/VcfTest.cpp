// Ladder filter: iterations per rate, resonance tables, cutoff limits, jitter, feedback fade, gain.
#include "engine/filter/Vcf.h"

#include "engine/filter/CpuFeatures.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

TEST(Vcf, InternalIterationsFollowTheRate) {
  const struct {
    double rate;
    int n;
  } cases[] = {{11025, 8}, {22050, 8}, {24000, 8}, {32000, 6},  {38400, 5},  {44100, 4},  {48000, 4},
               {64000, 3}, {88200, 2}, {96000, 2}, {128000, 2}, {176400, 1}, {192000, 1}, {384000, 1}};
  for (const auto& c : cases) {
    Vcf f;
    f.Prepare(c.rate);
    EXPECT_EQ(f.Iterations(), c.n) << c.rate;
  }
  EXPECT_EQ(Vcf::IterationsForRate(0.0), 4); // 0 means 48 kHz
}

TEST(Vcf, ResonanceTables) {
  EXPECT_EQ(Vcf::FeedbackBase(-1.0), 0.136);
  EXPECT_EQ(Vcf::FeedbackBase(0.0), 0.136);
  EXPECT_NEAR(Vcf::FeedbackBase(0.0125), 0.168, 1e-12);
  EXPECT_NEAR(Vcf::FeedbackBase(0.175), 0.6, 1e-12);
  EXPECT_NEAR(Vcf::FeedbackBase(0.2), 1.376, 1e-12); // the jump at index 8
  EXPECT_NEAR(Vcf::FeedbackBase(0.1875), 0.988, 1e-12);
  EXPECT_EQ(Vcf::FeedbackBase(1.0), 4.2);
  EXPECT_EQ(Vcf::GainBase(1.0), 0.1304);
  EXPECT_EQ(Vcf::GainBase(0.1), 1.0);
  EXPECT_NEAR(Vcf::GainBase(0.5), 0.3355, 1e-12);
  EXPECT_NEAR(Vcf::GainBase(0.9875), (0.132 + 0.1304) / 2.0, 1e-12);
}

TEST(Vcf, ResonanceDrivesJitterBlendAndSelfOscillation) {
  Vcf f;
  f.Prepare(48000.0);
  f.SetCutoffAndResonance(1000.0, 0.5);
  EXPECT_EQ(f.SmoothingBlend(), 0.0); // K(0.5) = 3.31, below 3.5
  EXPECT_EQ(f.SelfOscillationFactor(), 0.0);
  f.SetCutoffAndResonance(1000.0, 0.6);
  EXPECT_EQ(f.JitterDepth(), 0.0);
  EXPECT_NEAR(f.SmoothingBlend(), 0.337662, 1e-6); // K(0.6) = 3.734
  f.SetCutoffAndResonance(1000.0, 1.0);
  EXPECT_DOUBLE_EQ(f.JitterDepth(), 0.012);
  EXPECT_DOUBLE_EQ(f.SmoothingBlend(), 1.0);
  EXPECT_DOUBLE_EQ(f.SelfOscillationFactor(), 1.0);
  EXPECT_NEAR(f.FeedbackBaseValue(), 4.2, 1e-12);
}

TEST(Vcf, CutoffIsHeldBetween1HzAnd049OfTheRate) {
  Vcf f;
  f.Prepare(48000.0);
  f.SetCutoffAndResonance(0.2, 0.0);
  EXPECT_EQ(f.CutoffHz(), 1.0);
  f.SetCutoffAndResonance(40000.0, 0.0);
  EXPECT_EQ(f.CutoffHz(), 0.49 * 48000.0);
  f.SetCutoffAndResonance(std::nan(""), std::nan(""));
  EXPECT_EQ(f.CutoffHz(), 1.0);
  EXPECT_EQ(f.Resonance(), 0.0);
  // h = 2 pi x 1.157 fc / (N rate), never above 0.9.
  f.SetCutoffAndResonance(1000.0, 0.0);
  EXPECT_NEAR(f.StageCoefficient(), 2.0 * std::numbers::pi * 1157.0 / (4 * 48000.0), 1e-15);
  f.SetCutoffAndResonance(23000.0, 0.0);
  EXPECT_LE(f.StageCoefficient(), 0.9);
}

TEST(Vcf, WithoutJitterRepeatedCallsKeepTheCoefficients) {
  Vcf f;
  f.Prepare(48000.0);
  f.SetCutoffAndResonance(2000.0, 0.6);
  const double h = f.StageCoefficient(), k = f.Feedback();
  for (int i = 0; i < 100; ++i)
    f.SetCutoffAndResonance(2000.0, 0.6);
  EXPECT_EQ(f.StageCoefficient(), h);
  EXPECT_EQ(f.Feedback(), k);

  f.SetCutoffAndResonance(2000.0, 0.9);
  bool moved = false;
  double previous = f.StageCoefficient();
  for (int i = 0; i < 100; ++i) {
    f.SetCutoffAndResonance(2000.0, 0.9);
    moved |= f.StageCoefficient() != previous;
    // The jitter is slow and small: within a few per cent of the nominal cutoff.
    EXPECT_NEAR(f.StageCoefficient(), 2.0 * std::numbers::pi * 2000.0 * 1.157 / (4 * 48000.0), 0.03 * h);
    previous = f.StageCoefficient();
  }
  EXPECT_TRUE(moved);
}

TEST(Vcf, FeedbackFadesOutNear04OfTheRate) {
  for (double rate : {44100.0, 96000.0}) {
    Vcf f;
    f.Prepare(rate);
    f.SetCutoffAndResonance(0.4 * rate, 0.8);
    EXPECT_EQ(f.Feedback(), 0.0) << rate;
    f.SetCutoffAndResonance(0.32 * rate, 0.8);
    EXPECT_NEAR(f.Feedback(), f.FeedbackBaseValue() * 0.66, 1e-12) << rate; // t is 1 above 14 kHz
    f.SetCutoffAndResonance(500.0, 0.8);
    EXPECT_NEAR(f.Feedback(), f.FeedbackBaseValue(), 1e-12) << rate;
  }
}

TEST(Vcf, OutputGainRisesWithTheSelfOscillationCurve) {
  EXPECT_EQ(Vcf::SelfOscillationGainDb(100.0), 2.5);
  EXPECT_NEAR(Vcf::SelfOscillationGainDb(3300.0), 7.0, 1e-12);
  EXPECT_NEAR(Vcf::SelfOscillationGainDb(std::sqrt(16000.0 * 22000.0)), -5.0, 1e-12);
  EXPECT_EQ(Vcf::SelfOscillationGainDb(40000.0), -18.0);
  Vcf f;
  f.Prepare(192000.0);
  f.SetCutoffAndResonance(3300.0, 1.0);
  EXPECT_NEAR(f.OutputGain(), std::pow(10.0, 7.0 / 20.0) * 0.1304, 1e-12);
  f.SetCutoffAndResonance(3300.0, 0.5);
  EXPECT_NEAR(f.OutputGain(), 0.3355, 1e-12);
}

namespace {

// The curve's lane form on every input, each on every lane (the others hold a neutral value):
// out[i x lanes + lane]. Remembering, one segment memory serves all the inputs in turn, so that the
// lanes leave their segments up and down the curve and jump across it.
template <class L, bool kRemembering>
VLM_LANES_INLINE void CurveOnLanes(const std::vector<double>& in, std::vector<double>& out) {
  constexpr int kLanes = kLanesOf<L>;
  ladder::SelfOscillationSegment<L> segment;
  out.assign(in.size() * kLanes, 0.0);
  for (std::size_t i = 0; i < in.size(); ++i)
    for (int lane = 0; lane < kLanes; ++lane) {
      L x = Splat<L>(11.0);
      x[lane] = in[i];
      const L db = kRemembering ? segment.DbAtLog2(x) : ladder::SelfOscillationGainDbAtLog2<L>(x);
      out[i * kLanes + static_cast<std::size_t>(lane)] = db[lane];
    }
}
template <bool kRemembering>
VLM_TARGET_AVX2 void CurveWide4(const std::vector<double>& in, std::vector<double>& out) {
  CurveOnLanes<Lanes4, kRemembering>(in, out);
}
template <bool kRemembering>
VLM_TARGET_AVX512 void CurveWide8(const std::vector<double>& in, std::vector<double>& out) {
  CurveOnLanes<Lanes8, kRemembering>(in, out);
}
template <bool kRemembering> void CurveBaseline4(const std::vector<double>& in, std::vector<double>& out) {
  CurveOnLanes<Lanes4, kRemembering>(in, out);
}
template <bool kRemembering> void CurveBaseline8(const std::vector<double>& in, std::vector<double>& out) {
  CurveOnLanes<Lanes8, kRemembering>(in, out);
}

} // namespace

TEST(Vcf, LaneFormsOfTheSelfOscillationCurveGiveTheScalarBits) {
  // At, just beside and between the breakpoints, beyond both ends, and NaN.
  const ladder::SelfOscillationCurve& c = ladder::kSelfOscillationCurve;
  std::vector<double> in = {0.0, -1e300, 1e300, std::numeric_limits<double>::quiet_NaN()};
  for (int i = 0; i < ladder::SelfOscillationCurve::kPoints; ++i) {
    const double x = c.x[i];
    in.insert(in.end(), {x, std::nextafter(x, -1e9), std::nextafter(x, 1e9), x - 0.3, x + 0.3});
    if (i > 0)
      in.push_back((x + c.x[i - 1]) / 2.0);
  }
  // Back down the curve, for the remembered segments.
  in.insert(in.end(), in.rbegin(), in.rend());
  const struct {
    const char* name;
    int lanes;
    bool runs;
    void (*run)(const std::vector<double>&, std::vector<double>&);
  } forms[] = {{"4 baseline", 4, true, CurveBaseline4<false>},
               {"4 AVX2", 4, HasAvx2(), CurveWide4<false>},
               {"8 baseline", 8, true, CurveBaseline8<false>},
               {"8 AVX-512", 8, HasAvx512(), CurveWide8<false>},
               {"4 baseline remembering", 4, true, CurveBaseline4<true>},
               {"4 AVX2 remembering", 4, HasAvx2(), CurveWide4<true>},
               {"8 baseline remembering", 8, true, CurveBaseline8<true>},
               {"8 AVX-512 remembering", 8, HasAvx512(), CurveWide8<true>}};
  for (const auto& form : forms) {
    if (!form.runs)
      continue;
    std::vector<double> out;
    form.run(in, out);
    for (std::size_t i = 0; i < in.size(); ++i) {
      const double want = ladder::SelfOscillationGainDbAtLog2(in[i]);
      for (int lane = 0; lane < form.lanes; ++lane) {
        const double got = out[i * static_cast<std::size_t>(form.lanes) + static_cast<std::size_t>(lane)];
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0)
            << form.name << " at " << in[i] << " lane " << lane;
      }
    }
  }
}

TEST(Vcf, PassesDcAtUnityWithLowResonance) {
  for (double rate : {22050.0, 48000.0, 192000.0}) {
    Vcf f;
    f.Prepare(rate);
    double y = 0.0;
    for (int i = 0; i < static_cast<int>(rate / 4); ++i) {
      f.SetCutoffAndResonance(1000.0, 0.1);
      y = f.Process(0.1);
    }
    EXPECT_NEAR(y, 0.1, 1e-3) << rate;
  }
}

TEST(Vcf, AttenuatesAboveTheCutoff) {
  Vcf f;
  f.Prepare(48000.0);
  double peak = 0.0;
  for (int i = 0; i < 48000; ++i) {
    f.SetCutoffAndResonance(200.0, 0.0);
    const double y = f.Process(0.5 * std::sin(2.0 * std::numbers::pi * 8000.0 * i / 48000.0));
    if (i > 24000)
      peak = std::max(peak, std::fabs(y));
  }
  // 5 octaves above the cutoff four poles leave next to nothing; what remains is the small bleed.
  EXPECT_LT(peak, 0.5 * 0.03);
}

TEST(Vcf, SelfOscillatesAtFullResonance) {
  Vcf f;
  f.Prepare(48000.0);
  double sumSquares = 0.0;
  for (int i = 0; i < 48000; ++i) {
    f.SetCutoffAndResonance(1000.0, 1.0);
    const double y = f.Process(i == 0 ? 0.1 : 0.0);
    ASSERT_TRUE(std::isfinite(y));
    if (i >= 38400)
      sumSquares += y * y;
  }
  EXPECT_GT(std::sqrt(sumSquares / 9600.0), 0.05);
}

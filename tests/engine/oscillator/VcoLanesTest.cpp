// Lane oscillators: each lane renders bit for bit what its own Vco renders, four lanes in AVX2 and
// baseline code, eight in AVX-512 and baseline code.
#include "engine/oscillator/VcoLanes.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/filter/CpuFeatures.h"

// Lanes4 and Lanes8 as template arguments lose their aligned attribute; the fields carry it instead.
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace {

// One sample's inputs for the lanes (aligned for the wide forms' aligned moves).
template <class L> struct Step {
  VLM_LANE_ALIGN(L) L hz;
  VLM_LANE_ALIGN(L) L width;
  VLM_LANE_ALIGN(L) L fraction;
  VLM_LANE_ALIGN(L) L noise;
  VLM_LANE_ALIGN(L) MaskOf<L> sync;
  bool withNoise;
};

// One sample's outputs for the lanes.
template <class L> struct Result {
  VLM_LANE_ALIGN(L) L value;
  VLM_LANE_ALIGN(L) L phase;
  VLM_LANE_ALIGN(L) L increment;
  VLM_LANE_ALIGN(L) MaskOf<L> wrapped;
};

template <class L> using Oscillators = std::array<Vco, kLanesOf<L>>;

// The same calls the quad renderer makes per sample: pitch and width, sync, one sample.
template <class L>
VLM_LANES_INLINE void DriveLanes(VcoLanes<L>& lanes, const std::vector<Step<L>>& steps,
                                 std::vector<Result<L>>& out) {
  out.resize(steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step<L>& s = steps[i];
    lanes.SetFrequency(s.hz);
    lanes.SetPulseWidth(s.width);
    lanes.HardSync(s.sync, s.fraction);
    out[i].value = s.withNoise ? lanes.RenderSampleWithNoise(s.noise) : lanes.RenderSample();
    out[i].phase = lanes.Phase();
    out[i].increment = lanes.Increment();
    out[i].wrapped = lanes.Wrapped();
  }
}

// The wide form of each width: one register for all lanes. (The octet's own AVX-512 form also has its
// templates instantiated for AVX-512, which only changes how comparisons are encoded; VoiceLanesTest
// checks that form through the part.)
VLM_TARGET_AVX2 void DriveLanesWide(VcoLanes<Lanes4>& lanes, const std::vector<Step<Lanes4>>& steps,
                                    std::vector<Result<Lanes4>>& out) {
  DriveLanes(lanes, steps, out);
}
VLM_TARGET_AVX512 void DriveLanesWide(VcoLanes<Lanes8>& lanes, const std::vector<Step<Lanes8>>& steps,
                                      std::vector<Result<Lanes8>>& out) {
  DriveLanes(lanes, steps, out);
}

template <class L>
void DriveLanesBaseline(VcoLanes<L>& lanes, const std::vector<Step<L>>& steps, std::vector<Result<L>>& out) {
  DriveLanes(lanes, steps, out);
}

template <class L>
void DriveScalar(Oscillators<L>& vcos, const std::vector<Step<L>>& steps, std::vector<Result<L>>& out) {
  out.resize(steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step<L>& s = steps[i];
    for (int lane = 0; lane < kLanesOf<L>; ++lane) {
      Vco& v = vcos[lane];
      v.SetFrequency(s.hz[lane]);
      v.SetPulseWidth(s.width[lane]);
      if (s.sync[lane])
        v.HardSync(s.fraction[lane]);
      out[i].value[lane] = s.withNoise ? v.RenderSampleWithNoise(s.noise[lane]) : v.RenderSample();
      out[i].phase[lane] = v.Phase();
      out[i].increment[lane] = v.Increment();
      out[i].wrapped[lane] = v.Wrapped() ? -1 : 0;
    }
  }
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Reports the first sample and lane where the two runs differ in any bit.
template <class L>
void ExpectIdentical(const std::vector<Result<L>>& expected, const std::vector<Result<L>>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    for (int lane = 0; lane < kLanesOf<L>; ++lane) {
      const Result<L>& e = expected[i];
      const Result<L>& a = actual[i];
      if (!SameBits(e.value[lane], a.value[lane]) || !SameBits(e.phase[lane], a.phase[lane]) ||
          !SameBits(e.increment[lane], a.increment[lane]) ||
          (e.wrapped[lane] != 0) != (a.wrapped[lane] != 0)) {
        FAIL() << "sample " << i << " lane " << lane << ": value " << e.value[lane] << " vs " << a.value[lane]
               << ", phase " << e.phase[lane] << " vs " << a.phase[lane] << ", increment "
               << e.increment[lane] << " vs " << a.increment[lane] << ", wrapped " << e.wrapped[lane]
               << " vs " << a.wrapped[lane];
      }
    }
}

constexpr std::array<double, 8> kRates = {48000.0,  96000.0, 44100.0, 48000.0,
                                          192000.0, 48000.0, 96000.0, 88200.0};

// Per lane a different way of moving: gentle vibrato; a sweep from 200 Hz past Nyquist and back
// (through the colouring's fade and its rebuilds) with narrow pulses; a negative pitch jumping every
// sample with the narrowest pulse; a lane mostly at 0 Hz (and -0 Hz) with bursts, a NaN and widths
// outside 0..1. Eight lanes move in the same four ways, the upper four a fifth higher. Sync strikes at
// random with fractions in 0..1, some exactly 0.
template <class L> std::vector<Step<L>> MakeSteps(int count, std::uint64_t seed, bool mixNoise) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> gauss(0.0, 0.3);
  std::vector<Step<L>> steps(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Step<L>& s = steps[static_cast<std::size_t>(i)];
    const double t = static_cast<double>(i) / count;
    const double sweep = t < 0.5 ? 2.0 * t : 2.0 - 2.0 * t;
    s.hz[0] = 220.0 * (1.0 + 0.01 * std::sin(0.003 * i));
    s.width[0] = 0.5 + 0.3 * std::sin(0.002 * i);
    s.hz[1] = 200.0 * std::exp2(8.0 * sweep);
    s.width[1] = 0.03 + 0.03 * std::sin(0.01 * i);
    s.hz[2] = -330.0 * (1.0 + 0.5 * (unit(rng) - 0.5));
    s.width[2] = 0.01;
    const int block = i % 1000;
    s.hz[3] = block < 600 ? (i / 1000 % 2 ? -0.0 : 0.0) : block < 800 ? 5000.0 : -20000.0;
    if (i == count / 3)
      s.hz[3] = std::numeric_limits<double>::quiet_NaN();
    s.width[3] = -0.2 + 1.4 * unit(rng);
    for (int lane = 4; lane < kLanesOf<L>; ++lane) {
      s.hz[lane] = 1.5 * s.hz[lane - 4];
      s.width[lane] = s.width[lane - 4] + 0.01;
    }
    for (int lane = 0; lane < kLanesOf<L>; ++lane) {
      const double roll = unit(rng);
      s.sync[lane] = roll < 0.03 ? -1 : 0;
      s.fraction[lane] = roll < 0.005 ? 0.0 : unit(rng);
      s.noise[lane] = gauss(rng);
    }
    s.withNoise = mixNoise && unit(rng) < 0.3;
  }
  return steps;
}

// Oscillators mid-flight: prepared at their rates, at different phases, two in a sync transient,
// noise sources advanced differently.
template <class L> Oscillators<L> MakeOscillators(std::uint8_t waveform) {
  Oscillators<L> vcos;
  for (int lane = 0; lane < kLanesOf<L>; ++lane) {
    Vco& v = vcos[lane];
    v.Prepare(kRates[lane]);
    v.mWaveform = waveform;
    v.SetFrequency(300.0 * (lane + 1));
    v.SetPhase(0.23 * lane);
    for (int i = 0; i < 10 * lane; ++i)
      v.RenderSample();
  }
  vcos[2].HardSync(0.4);
  vcos[2].RenderSample();
  vcos[kLanesOf<L> - 1].HardSync(0.7);
  return vcos;
}

struct WaveformCase {
  const char* name;
  std::uint8_t waveform;
};

const WaveformCase kWaveforms[] = {
    {"triangle", Vco::kTriangle}, {"sawtooth", Vco::kSawtooth}, {"pulse", Vco::kPulse},
    {"square", Vco::kSquare},     {"noise", Vco::kNoise},       {"unknown", 7},
};

// Drives every lane through the same steps as its own scalar oscillator, then stores the lanes back.
template <class L> void CheckLanes(std::uint8_t waveform, bool wide) {
  Oscillators<L> reference = MakeOscillators<L>(waveform);
  VcoLanes<L> lanes;
  for (int lane = 0; lane < kLanesOf<L>; ++lane)
    lanes.Load(lane, reference[lane]);

  const std::vector<Step<L>> steps = MakeSteps<L>(6000, 17, true);
  std::vector<Result<L>> expected, actual;
  DriveScalar(reference, steps, expected);
  if (wide)
    DriveLanesWide(lanes, steps, actual);
  else
    DriveLanesBaseline(lanes, steps, actual);
  ExpectIdentical(expected, actual);

  // Stored into fresh oscillators (another rate, no history), they go on exactly as the reference:
  // every piece of state came back, the colouring cache and noise registers included.
  Oscillators<L> stored;
  for (int lane = 0; lane < kLanesOf<L>; ++lane) {
    stored[lane].Prepare(22050.0);
    stored[lane].mWaveform = waveform;
    lanes.Store(lane, stored[lane]);
    EXPECT_TRUE(SameBits(stored[lane].LastOutput(), reference[lane].LastOutput()));
    EXPECT_TRUE(SameBits(stored[lane].PreviousPhase(), reference[lane].PreviousPhase()));
    EXPECT_EQ(stored[lane].Colouring().Weights(), reference[lane].Colouring().Weights());
    EXPECT_EQ(stored[lane].Noise().WhiteRegister(), reference[lane].Noise().WhiteRegister());
  }
  const std::vector<Step<L>> more = MakeSteps<L>(2000, 99, false);
  DriveScalar(reference, more, expected);
  DriveScalar(stored, more, actual);
  ExpectIdentical(expected, actual);
}

// The lane count and whether the wide form runs.
struct FormCase {
  const char* name;
  int lanes;
  bool wide;
};

const FormCase kForms[] = {
    {"4_baseline", 4, false}, {"4_avx2", 4, true}, {"8_baseline", 8, false}, {"8_avx512", 8, true}};

class VcoLanesTest : public ::testing::TestWithParam<std::tuple<WaveformCase, FormCase>> {};

TEST_P(VcoLanesTest, LanesRenderExactlyWhatTheirOscillatorsRenderAndStoreBackTheirFullState) {
  const auto [wave, form] = GetParam();
  if (form.wide && !(form.lanes == 8 ? HasAvx512() : HasAvx2()))
    GTEST_SKIP() << "no " << (form.lanes == 8 ? "AVX-512" : "AVX2") << " on this processor";
  if (form.lanes == 8)
    CheckLanes<Lanes8>(wave.waveform, form.wide);
  else
    CheckLanes<Lanes4>(wave.waveform, form.wide);
}

INSTANTIATE_TEST_SUITE_P(Waveforms, VcoLanesTest,
                         ::testing::Combine(::testing::ValuesIn(kWaveforms), ::testing::ValuesIn(kForms)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

} // namespace

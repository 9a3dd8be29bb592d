// Cost of four oscillators per sample: four scalar Vco against one VcoLanes (AVX2 and baseline), as ns
// per oscillator-sample, with the pitch modulated every sample as in a voice.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>

#include "engine/filter/CpuFeatures.h"
#include "engine/oscillator/VcoLanes.h"

namespace {

constexpr int kSamples = 4096;
// Notes up to 880 Hz keep the triangle's colouring at full weight; 1318.5 Hz (increment above 0.027)
// puts the top lane into the colouring's fade, where every pitch change rebuilds its series.
constexpr std::array<double, kLaneCount> kHz = {110.0, 261.6, 523.3, 880.0};
constexpr double kFadingHz = 1318.5;

// A slow vibrato per lane, precomputed so that the loops time only the oscillators.
struct Pitches {
  Lanes4 hz[kSamples]; // a plain array keeps the lanes' 32-byte alignment
  explicit Pitches(bool fading) {
    for (int i = 0; i < kSamples; ++i)
      for (int lane = 0; lane < kLaneCount; ++lane) {
        const double base = fading && lane == kLaneCount - 1 ? kFadingHz : kHz[lane];
        hz[i][lane] = base * (1.0 + 0.005 * std::sin(0.001 * i + lane));
      }
  }
};

const Pitches& SharedPitches(const benchmark::State& state) {
  static const Pitches steady(false), fading(true);
  return state.range(1) != 0 ? fading : steady;
}

std::array<Vco, kLaneCount> MakeOscillators(std::uint8_t waveform) {
  std::array<Vco, kLaneCount> vcos;
  for (Vco& v : vcos) {
    v.Prepare(48000.0);
    v.mWaveform = waveform;
    v.SetPulseWidth(0.3);
  }
  return vcos;
}

void Counters(benchmark::State& state) {
  state.counters["osc_sample"] =
      benchmark::Counter(static_cast<double>(kLaneCount) * kSamples,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ScalarVco(benchmark::State& state) {
  auto vcos = MakeOscillators(static_cast<std::uint8_t>(state.range(0)));
  const Pitches& pitches = SharedPitches(state);
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kSamples; ++i)
      for (int lane = 0; lane < kLaneCount; ++lane) {
        vcos[lane].SetFrequency(pitches.hz[i][lane]);
        sum += vcos[lane].RenderSample();
      }
    benchmark::DoNotOptimize(sum);
  }
  Counters(state);
}

VLM_LANES_INLINE Lanes4 RenderLanes(VcoLanes& lanes, const Pitches& pitches) {
  Lanes4 sum = Splat(0.0);
  for (int i = 0; i < kSamples; ++i) {
    lanes.SetFrequency(pitches.hz[i]);
    sum += lanes.RenderSample();
  }
  return sum;
}

VLM_TARGET_AVX2 double RenderLanesAvx2(VcoLanes& lanes, const Pitches& pitches) {
  const Lanes4 sum = RenderLanes(lanes, pitches);
  return sum[0] + sum[1] + sum[2] + sum[3];
}

double RenderLanesBaseline(VcoLanes& lanes, const Pitches& pitches) {
  const Lanes4 sum = RenderLanes(lanes, pitches);
  return sum[0] + sum[1] + sum[2] + sum[3];
}

template <bool kAvx2> void BM_VcoLanes(benchmark::State& state) {
  if (kAvx2 && !HasAvx2()) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  const auto vcos = MakeOscillators(static_cast<std::uint8_t>(state.range(0)));
  auto lanes = std::make_unique<VcoLanes>();
  for (int lane = 0; lane < kLaneCount; ++lane)
    lanes->Load(lane, vcos[lane]);
  const Pitches& pitches = SharedPitches(state);
  for (auto _ : state)
    benchmark::DoNotOptimize(kAvx2 ? RenderLanesAvx2(*lanes, pitches) : RenderLanesBaseline(*lanes, pitches));
  Counters(state);
}

// waveform 1 sawtooth, 2 pulse, 0 triangle; fading 1: the top lane's triangle colouring rebuilds.
void Waveforms(benchmark::internal::Benchmark* b) {
  b->ArgNames({"waveform", "fading"});
  for (int w : {Vco::kSawtooth, Vco::kPulse, Vco::kTriangle})
    b->Args({w, 0});
  b->Args({Vco::kTriangle, 1});
}

BENCHMARK(BM_ScalarVco)->Apply(Waveforms);
BENCHMARK(BM_VcoLanes<true>)->Name("BM_VcoLanesAvx2")->Apply(Waveforms);
BENCHMARK(BM_VcoLanes<false>)->Name("BM_VcoLanesBaseline")->Apply(Waveforms);

} // namespace

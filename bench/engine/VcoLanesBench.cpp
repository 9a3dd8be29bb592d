// Cost of oscillators per sample: four scalar Vco against one VcoLanes on four lanes (AVX2 and baseline),
// as ns per oscillator-sample, with the pitch modulated every sample as in a voice. Eight lanes are not
// timed here: their AVX-512 form needs its templates instantiated for AVX-512 (see VoiceLanesAvx512.cpp),
// which this file's baseline form rules out; the voice benchmark times the octet.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>

#include "engine/filter/CpuFeatures.h"
#include "engine/oscillator/VcoLanes.h"

// Lanes4 as a template argument loses its aligned attribute; the fields carry it instead.
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace {

constexpr int kSamples = 4096;
// Notes up to 880 Hz keep the triangle's colouring at full weight; 1318.5 Hz (increment above 0.027)
// puts the top lane into the colouring's fade, where every pitch change rebuilds its series.
constexpr std::array<double, kLaneCount> kHz = {110.0, 261.6, 523.3, 880.0};
constexpr double kFadingHz = 1318.5;

// A slow vibrato per lane, precomputed so that the loops time only the oscillators.
template <class L> struct Pitches {
  VLM_LANE_ALIGN(L) L hz[kSamples];
  explicit Pitches(bool fading) {
    for (int i = 0; i < kSamples; ++i)
      for (int lane = 0; lane < kLanesOf<L>; ++lane) {
        const double base = fading && lane == kLaneCount - 1 ? kFadingHz : kHz[lane];
        hz[i][lane] = base * (1.0 + 0.005 * std::sin(0.001 * i + lane));
      }
  }
};

template <class L> const Pitches<L>& SharedPitches(const benchmark::State& state) {
  static const Pitches<L> steady(false), fading(true);
  return state.range(1) != 0 ? fading : steady;
}

template <int kCount> std::array<Vco, kCount> MakeOscillators(std::uint8_t waveform) {
  std::array<Vco, kCount> vcos;
  for (Vco& v : vcos) {
    v.Prepare(48000.0);
    v.mWaveform = waveform;
    v.SetPulseWidth(0.3);
  }
  return vcos;
}

void Counters(benchmark::State& state, int oscillators) {
  state.counters["osc_sample"] =
      benchmark::Counter(static_cast<double>(oscillators) * kSamples,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ScalarVco(benchmark::State& state) {
  auto vcos = MakeOscillators<kLaneCount>(static_cast<std::uint8_t>(state.range(0)));
  const Pitches<Lanes4>& pitches = SharedPitches<Lanes4>(state);
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kSamples; ++i)
      for (int lane = 0; lane < kLaneCount; ++lane) {
        vcos[lane].SetFrequency(pitches.hz[i][lane]);
        sum += vcos[lane].RenderSample();
      }
    benchmark::DoNotOptimize(sum);
  }
  Counters(state, kLaneCount);
}

template <class L> VLM_LANES_INLINE double RenderLanes(VcoLanes<L>& lanes, const Pitches<L>& pitches) {
  L sum = Splat<L>(0.0);
  for (int i = 0; i < kSamples; ++i) {
    lanes.SetFrequency(pitches.hz[i]);
    sum += lanes.RenderSample();
  }
  double total = 0.0;
  for (int lane = 0; lane < kLanesOf<L>; ++lane)
    total += sum[lane];
  return total;
}

VLM_TARGET_AVX2 double RenderLanesWide(VcoLanes<Lanes4>& lanes, const Pitches<Lanes4>& pitches) {
  return RenderLanes(lanes, pitches);
}
template <class L> double RenderLanesBaseline(VcoLanes<L>& lanes, const Pitches<L>& pitches) {
  return RenderLanes(lanes, pitches);
}

template <class L, bool kWide> void BM_VcoLanes(benchmark::State& state) {
  constexpr int kLanes = kLanesOf<L>;
  if (kWide && !HasAvx2()) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  const auto vcos = MakeOscillators<kLanes>(static_cast<std::uint8_t>(state.range(0)));
  auto lanes = std::make_unique<VcoLanes<L>>();
  for (int lane = 0; lane < kLanes; ++lane)
    lanes->Load(lane, vcos[static_cast<std::size_t>(lane)]);
  const Pitches<L>& pitches = SharedPitches<L>(state);
  for (auto _ : state)
    benchmark::DoNotOptimize(kWide ? RenderLanesWide(*lanes, pitches) : RenderLanesBaseline(*lanes, pitches));
  Counters(state, kLanes);
}

// waveform 1 sawtooth, 2 pulse, 0 triangle; fading 1: the top lane's triangle colouring rebuilds.
void Waveforms(benchmark::internal::Benchmark* b) {
  b->ArgNames({"waveform", "fading"});
  for (int w : {Vco::kSawtooth, Vco::kPulse, Vco::kTriangle})
    b->Args({w, 0});
  b->Args({Vco::kTriangle, 1});
}

BENCHMARK(BM_ScalarVco)->Apply(Waveforms);
BENCHMARK(BM_VcoLanes<Lanes4, true>)->Name("BM_VcoLanesAvx2")->Apply(Waveforms);
BENCHMARK(BM_VcoLanes<Lanes4, false>)->Name("BM_VcoLanesBaseline")->Apply(Waveforms);

} // namespace

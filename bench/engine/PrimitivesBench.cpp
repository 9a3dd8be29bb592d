// Per-sample cost of the oscillator per waveform, the noise source, the envelope and the ladder filter
// (each internal iteration count, scalar and AVX2).
#include <benchmark/benchmark.h>

#include "engine/envelope/Envelope.h"
#include "engine/filter/CpuFeatures.h"
#include "engine/filter/Vcf.h"
#include "engine/oscillator/NoiseSource.h"
#include "engine/oscillator/Vco.h"

namespace {

constexpr int kBlock = 4096;

void NsPerSample(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns_per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Vco(benchmark::State& state) {
  Vco v;
  v.Prepare(48000.0);
  v.mWaveform = static_cast<std::uint8_t>(state.range(0));
  v.SetFrequency(220.0);
  v.SetPulseWidth(0.3);
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i)
      sum += v.RenderSample();
    benchmark::DoNotOptimize(sum);
  }
  NsPerSample(state);
}
BENCHMARK(BM_Vco)->ArgName("waveform")->DenseRange(0, 4);

// A steady triangle only evaluates the colouring; a gliding one rebuilds it every sample.
void BM_VcoTriangleGliding(benchmark::State& state) {
  Vco v;
  v.Prepare(48000.0);
  v.mWaveform = Vco::kTriangle;
  double hz = 200.0;
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      hz = hz < 2000.0 ? hz * 1.0001 : 200.0;
      v.SetFrequency(hz);
      sum += v.RenderSample();
    }
    benchmark::DoNotOptimize(sum);
  }
  NsPerSample(state);
}
BENCHMARK(BM_VcoTriangleGliding);

void BM_NoiseSource(benchmark::State& state) {
  NoiseSource n;
  n.Prepare(48000.0);
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i)
      sum += n.RenderSample();
    benchmark::DoNotOptimize(sum);
  }
  NsPerSample(state);
}
BENCHMARK(BM_NoiseSource);

void BM_Envelope(benchmark::State& state) {
  Envelope e;
  e.Prepare(48000.0);
  e.SetOvershoot(true);
  e.SetCurvedDecay(true);
  e.SetAttack(5.0);
  e.SetDecay(40.0);
  e.SetSustain(0.3);
  e.SetRelease(20.0);
  int n = 0;
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i, ++n) {
      // A note every 9600 samples, released after 4800: every state gets its share.
      if (n % 9600 == 0)
        e.NoteOn(false);
      else if (n % 9600 == 4800)
        e.NoteOff();
      sum += e.Tick();
    }
    benchmark::DoNotOptimize(sum);
  }
  NsPerSample(state);
}
BENCHMARK(BM_Envelope);

// Args: internal iterations N (by rate), vector form (0 scalar, 1 AVX2), resonance percent, and
// whether the cutoff moves every sample (as under a filter envelope) or stays put.
void BM_Ladder(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool avx2 = state.range(1) != 0;
  if (avx2 && !HasAvx2()) {
    state.SkipWithError("no AVX2");
    return;
  }
  const double rate = n == 8 ? 22050.0 : 192000.0 / n;
  const double resonance = state.range(2) / 100.0;
  const bool moving = state.range(3) != 0;
  Vcf f;
  f.Prepare(rate);
  f.SetVectorForm(avx2);
  if (f.Iterations() != n) {
    state.SkipWithError("unexpected iteration count");
    return;
  }
  double phase = 0.0;
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      phase = phase < 1.0 ? phase + 0.005 : 0.0;
      f.SetCutoffAndResonance(moving ? 500.0 + 2000.0 * phase : 1500.0, resonance);
      sum += f.Process(phase - 0.5);
    }
    benchmark::DoNotOptimize(sum);
  }
  NsPerSample(state);
}
BENCHMARK(BM_Ladder)
    ->ArgNames({"N", "avx2", "res", "moving"})
    ->ArgsProduct({{1, 2, 4, 8}, {0, 1}, {30, 90}, {0, 1}});

} // namespace

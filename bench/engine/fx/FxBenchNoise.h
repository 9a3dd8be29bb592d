// The loop the effect benchmarks time: the same noise in every run, 4096 stereo samples per iteration,
// reported as seconds per stereo sample.
#pragma once

#include <benchmark/benchmark.h>

namespace vlm::bench {

inline constexpr int kFrames = 4096;

// Linear congruential noise in -0.25..0.25 (the right channel takes its negation).
inline double NextNoise(unsigned& noise) {
  noise = noise * 1664525u + 1013904223u;
  return (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.5;
}

inline void ReportPerSample(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kFrames);
  // Seconds per stereo sample (shown with an SI prefix, e.g. "80n" for 80 ns).
  state.counters["per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Times `fx.Process(l, r)` on the noise; Fx is the type the call goes through (a base class keeps the call
// virtual).
template <typename Fx> void RunNoisePerSample(benchmark::State& state, Fx& fx) {
  unsigned noise = 1;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      double l = NextNoise(noise);
      double r = -l;
      fx.Process(l, r);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(r);
    }
  }
  ReportPerSample(state);
}

} // namespace vlm::bench

// Cost of each chorus, flanger and phaser effect per stereo sample, called directly.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/fx/modulation/DigitalChorus.h"
#include "engine/fx/modulation/Flanger.h"
#include "engine/fx/modulation/Phaser.h"
#include "engine/fx/modulation/PitchChorus.h"
#include "engine/fx/modulation/StudioChorus.h"
#include "engine/fx/modulation/SynthChorus.h"

namespace {

template <typename Effect> void BM_PerSample(benchmark::State& state) {
  auto fx = std::make_unique<Effect>();
  fx->Prepare(48000.0);
  // Busy settings: every voice and section in use, feedback and mix up.
  for (int i = 0; i < 8; ++i)
    fx->SetParameter(i, 0.8);
  constexpr int kFrames = 4096;
  unsigned noise = 1;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      noise = noise * 1664525u + 1013904223u;
      double l = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.5;
      double r = -l;
      fx->Process(l, r);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
  // Seconds per stereo sample (shown with an SI prefix, e.g. "12n" for 12 ns).
  state.counters["per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::SynthChorus);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::StudioChorus);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::DigitalChorus);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::Flanger);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::Phaser);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::PitchChorus);

} // namespace

// Cost of the reverb per stereo sample with each core alone, during a core crossfade, and of each bare core.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/engine/fx/FxBenchNoise.h"
#include "engine/fx/reverb/HallCore.h"
#include "engine/fx/reverb/PlateCore.h"
#include "engine/fx/reverb/Reverb.h"
#include "engine/fx/reverb/RoomCore.h"

namespace {

using vlm::bench::kFrames;
using vlm::bench::NextNoise;
using vlm::bench::ReportPerSample;

// The whole effect in mode 0 "Hall", 1 "Plate" or 2 "Room", long decay, pre-delay and tone in use.
void BM_Reverb(benchmark::State& state) {
  auto fx = std::make_unique<vlm::dsp::Reverb>();
  fx->Prepare(48000.0);
  const double settings[8] = {state.range(0) / 2.0, 0.2, 0.8, 0.4, 0.8, 0.6, 0.6, 0.4};
  for (int i = 0; i < 8; ++i)
    fx->SetParameter(i, settings[i]);
  fx->Prepare(48000.0); // no crossfade from the default core
  vlm::bench::RunNoisePerSample(state, *fx);
}
BENCHMARK(BM_Reverb)->DenseRange(0, 2)->ArgName("mode");

// Two cores running at once: the mode flips between "Hall" and "Room" within every 50 ms fade.
void BM_ReverbCrossfade(benchmark::State& state) {
  auto fx = std::make_unique<vlm::dsp::Reverb>();
  fx->Prepare(48000.0);
  fx->SetParameter(7, 0.4);
  unsigned noise = 1;
  bool room = false;
  for (auto _ : state) {
    room = !room;
    fx->SetParameter(0, room ? 1.0 : 0.0);
    for (int i = 0; i < kFrames; ++i) {
      double l = NextNoise(noise);
      double r = -l;
      fx->Process(l, r);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(r);
    }
  }
  ReportPerSample(state);
}
BENCHMARK(BM_ReverbCrossfade);

template <typename Core> void BM_Core(benchmark::State& state) {
  auto core = std::make_unique<Core>();
  core->Prepare(48000.0);
  core->SetDecay(3.0);
  core->SetDamping(0.4);
  core->SetDiffusion(0.8);
  unsigned noise = 1;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      double l = 0.0, r = 0.0;
      core->Process(NextNoise(noise), &l, &r);
      benchmark::DoNotOptimize(l);
      benchmark::DoNotOptimize(r);
    }
  }
  ReportPerSample(state);
}
BENCHMARK_TEMPLATE(BM_Core, vlm::dsp::HallCore);
BENCHMARK_TEMPLATE(BM_Core, vlm::dsp::PlateCore);
BENCHMARK_TEMPLATE(BM_Core, vlm::dsp::RoomCore);

} // namespace

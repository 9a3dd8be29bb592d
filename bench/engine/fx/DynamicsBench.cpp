// Cost of the delay, equalizer, compressor (each character) and distortion (each curve) per stereo sample.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/engine/fx/FxBenchNoise.h"
#include "engine/fx/dynamics/Compressor.h"
#include "engine/fx/dynamics/Delay.h"
#include "engine/fx/dynamics/Distortion.h"
#include "engine/fx/dynamics/EQ3Band.h"

namespace {

using Settings = std::vector<std::pair<int, double>>;

// Through the base class, so the call stays virtual.
void RunPerSample(benchmark::State& state, vlm::dsp::EffectBase& fx) {
  vlm::bench::RunNoisePerSample(state, fx);
}

template <typename Effect> std::unique_ptr<Effect> Make(const Settings& settings) {
  auto fx = std::make_unique<Effect>();
  fx->Prepare(48000.0);
  for (auto [index, value] : settings)
    fx->SetParameter(index, value);
  return fx;
}

void BM_Delay(benchmark::State& state) {
  // Free 500 ms, ping-pong, feedback and tone in use, half mix.
  auto fx = Make<vlm::dsp::Delay>({{0, 1.0}, {2, 0.82}, {3, 1.0}, {4, 0.6}, {5, 0.5}, {6, 0.7}, {7, 0.5}});
  fx->Reset();
  RunPerSample(state, *fx);
}
BENCHMARK(BM_Delay);

void BM_EQ3Band(benchmark::State& state) {
  // Every band away from 0 dB, so all seven sections filter.
  auto fx = Make<vlm::dsp::EQ3Band>({{0, 0.7}, {1, 0.5}, {2, 0.3}, {3, 0.5}, {4, 0.6}, {5, 0.5}});
  RunPerSample(state, *fx);
}
BENCHMARK(BM_EQ3Band);

void BM_Compressor(benchmark::State& state) {
  // Threshold -30 dB, 4:1, soft knee, in the given character.
  auto fx = Make<vlm::dsp::Compressor>(
      {{0, 0.5}, {1, 0.4}, {2, 0.3}, {3, 0.4}, {4, 1.0}, {6, 0.25}, {5, state.range(0) / 3.0}});
  RunPerSample(state, *fx);
}
BENCHMARK(BM_Compressor)->DenseRange(0, 3)->ArgName("mode");

void BM_Distortion(benchmark::State& state) {
  auto fx = std::make_unique<vlm::dsp::Distortion>();
  for (auto [index, value] : Settings{{0, state.range(0) / 4.0}, {1, 0.5}, {2, 0.5}, {3, 0.8}})
    fx->SetParameter(index, value);
  RunPerSample(state, *fx);
}
BENCHMARK(BM_Distortion)->DenseRange(0, 4)->ArgName("algo");

} // namespace

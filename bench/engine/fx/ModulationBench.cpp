// Cost of each chorus, flanger and phaser effect per stereo sample, called directly.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/engine/fx/FxBenchNoise.h"
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
  vlm::bench::RunNoisePerSample(state, *fx);
}

BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::SynthChorus);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::StudioChorus);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::DigitalChorus);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::Flanger);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::Phaser);
BENCHMARK_TEMPLATE(BM_PerSample, vlm::dsp::PitchChorus);

} // namespace

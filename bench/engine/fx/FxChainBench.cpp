// Cost per stereo sample of a typical full chain through the rack: chorus, delay, EQ, compressor, reverb.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "bench/engine/fx/FxBenchNoise.h"
#include "engine/fx/FxRack.h"

namespace {

void BM_FiveSlotChain(benchmark::State& state) {
  // Tens of megabytes: on the heap.
  auto rack = std::make_unique<vlm::dsp::FxRack>();
  // Synth chorus, delay, three-band EQ, compressor, reverb (mode from the argument).
  const int types[vlm::dsp::FxRack::kSlotCount] = {1, 4, 7, 8, 10};
  for (int s = 0; s < vlm::dsp::FxRack::kSlotCount; ++s)
    rack->SetType(s, types[s]);
  rack->Prepare(48000.0);
  rack->ResetAll();
  rack->SetSlotParameters(0, std::array<double, 8>{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
  rack->SetSlotParameters(1, std::array<double, 8>{1.0, 0.8, 0.82, 1.0, 0.5, 0.6, 0.8, 0.3});
  rack->SetSlotParameters(2, std::array<double, 8>{0.6, 0.5, 0.45, 0.5, 0.55, 0.5, 0.0, 0.0});
  rack->SetSlotParameters(3, std::array<double, 8>{0.6, 0.4, 0.3, 0.4, 1.0, 0.0, 0.25, 0.0});
  rack->SetSlotParameters(4, std::array<double, 8>{state.range(0) / 2.0, 0.1, 0.7, 0.4, 0.8, 0.6, 0.6, 0.3});
  rack->Prepare(48000.0); // start the reverb on its chosen core, as the processor's reset does
  rack->ResetAll();
  rack->SetTempo(120.0);
  vlm::bench::RunNoisePerSample(state, *rack);
}
BENCHMARK(BM_FiveSlotChain)->DenseRange(0, 2)->ArgName("reverb_mode");

} // namespace

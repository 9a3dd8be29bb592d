// Cost of the effect rack per stereo sample: empty chain, and each effect type alone in slot 0.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "bench/engine/fx/FxBenchNoise.h"
#include "engine/fx/FxRack.h"

namespace {

// One rack for every run: it is tens of megabytes.
vlm::dsp::FxRack& SharedRack() {
  static auto rack = std::make_unique<vlm::dsp::FxRack>();
  return *rack;
}

// Reports ns per stereo sample for a rack with `type` in slot 0 (0: every slot empty).
void BM_RackPerSample(benchmark::State& state) {
  auto& rack = SharedRack();
  const int type = static_cast<int>(state.range(0));
  for (int s = 0; s < vlm::dsp::FxRack::kSlotCount; ++s)
    rack.SetType(s, s == 0 ? type : 0);
  rack.Prepare(48000.0);
  rack.ResetAll();
  rack.SetSlotParameters(0, std::array<double, 8>{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
  vlm::bench::RunNoisePerSample(state, rack);
}
BENCHMARK(BM_RackPerSample)->DenseRange(0, 12)->ArgName("type");

} // namespace

// Cost of the arpeggiator's event generation per 64-frame block, for a single note and a full chord.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/arp/Arpeggiator.h"

namespace {

void BM_GenerateEvents(benchmark::State& state) {
  auto arp = std::make_unique<vlm::dsp::Arpeggiator>();
  arp->Prepare(48000.0);
  arp->SetTempo(180.0);
  arp->SetParameter(0, state.range(0) != 0 ? 1.0 : 0.0); // "Chord" or "Up"
  arp->SetParameter(2, 0.0);                             // "1/64": the busiest division
  for (int n = 0; n < vlm::dsp::Arpeggiator::kMaxNotes; ++n)
    arp->NoteOn(48 + n, 0.8, 0);
  vlm::dsp::NoteEvent events[vlm::dsp::kNoteEventCapacity];
  double pos = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(arp->GenerateEvents(64, events, vlm::dsp::kNoteEventCapacity, pos, true));
    pos += 64.0 * 3.0 / 48000.0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GenerateEvents)->Arg(0)->Arg(1)->ArgName("chord");

} // namespace

// Cost of the voice render: ns per voice per sub-sample at 1x/2x/4x, and both parts at 24 voices at 4x as a
// real-time multiple.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/filter/CpuFeatures.h"
#include "engine/render/PartRenderer.h"

namespace {

// typical: a plain two-oscillator patch; heavy: resonance with jitter, cross-mod, sync and every LFO route.
void ApplyPatch(TonePart& p, bool heavy) {
  p.mAssignMode = TonePart::kPoly1;
  p.SetVoiceLimit(32);
  p.SetVco1Waveform(Vco::kSawtooth);
  p.SetVco2Waveform(Vco::kPulse);
  p.SetVcoMix(0.5);
  p.SetVcfCutoff(1500.0);
  p.SetVcfResonance(heavy ? 0.8 : 0.3);
  p.SetVcfEnvAmount(40.0);
  p.SetVcfKeyFollow(0.5);
  p.SetVcaLevel(0.5);
  p.SetPwmAmount(0.3);
  p.SetVcoModLfoAmount(0.1);
  if (heavy) {
    p.SetXmodManual(0.5);
    p.SetSyncMode(Voice::kSyncVco2Master);
    p.SetVcfLfoAmount(0.5);
    p.SetVcaLfoAmount(0.3);
    p.SetVcoModEnv1Amount(2.0);
    p.SetVco1Waveform(Vco::kTriangle);
  }
}

void HoldNotes(TonePart& p, int voices, int lowest) {
  for (int i = 0; i < voices; ++i)
    p.NoteOn(lowest + i, 0.8);
}

// One part with 16 sustained notes; counter "voice_subsample" is the time per voice and sub-sample.
// quads:0 renders every voice alone (the reference path); quads:1 quads only; quads:2 runs of eight as
// octets, the rest as quads (the default where the processor has AVX-512).
void BM_VoiceSubSample(benchmark::State& state) {
  const int factor = static_cast<int>(state.range(0));
  const bool heavy = state.range(1) != 0;
  const bool quads = state.range(2) != 0;
  constexpr int kVoices = 16;
  auto part = std::make_unique<TonePart>();
  part->Prepare(48000.0 * factor);
  part->SetQuadRendering(quads);
  part->SetOctetRendering(state.range(2) == 2 && HasAvx512());
  ApplyPatch(*part, heavy);
  HoldNotes(*part, kVoices, 40);
  constexpr int kSubSamples = 4096;
  std::vector<double> out(kSubSamples);
  for (int i = 0; i < 12 * factor; ++i) // about one second: the notes have reached their sustain
    part->RenderBlock(nullptr, out.data(), kSubSamples);
  for (auto _ : state) {
    part->RenderBlock(nullptr, out.data(), kSubSamples);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["voice_subsample"] =
      benchmark::Counter(static_cast<double>(kVoices) * kSubSamples,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_VoiceSubSample)
    ->ArgsProduct({{1, 2, 4}, {0, 1}, {0, 1, 2}})
    ->ArgNames({"factor", "heavy", "quads"});

// Both parts at 24 voices each at 4x from the note starts on (attack and decay, the dearest phases);
// counter "x_realtime" is seconds of 48 kHz audio per second of CPU. per_sample:1 is the reference
// path that renders every sub-sample through all voices in turn; octets:0 keeps the parts to quads,
// octets:1 lets them take runs of eight as octets (where the processor has AVX-512).
void BM_WorstCase(benchmark::State& state) {
  const bool heavy = state.range(0) != 0;
  const int factor = static_cast<int>(state.range(1));
  const bool perSample = state.range(2) != 0;
  auto renderer = std::make_unique<PartRenderer>();
  renderer->Prepare(48000.0, factor);
  renderer->Upper().SetOctetRendering(state.range(3) != 0 && HasAvx512());
  renderer->Lower().SetOctetRendering(state.range(3) != 0 && HasAvx512());
  ApplyPatch(renderer->Upper(), heavy);
  ApplyPatch(renderer->Lower(), heavy);
  renderer->Upper().SetVoiceLimit(24);
  renderer->Lower().SetVoiceLimit(24);
  constexpr int kFrames = 4800;
  std::vector<double> left(kFrames), right(kFrames);
  int block = 0;
  for (auto _ : state) {
    if (block++ % 5 == 0) { // strike the chords again every half second
      HoldNotes(renderer->Upper(), 24, 40);
      HoldNotes(renderer->Lower(), 24, 41);
    }
    if (perSample)
      renderer->RenderPerSample(left, right);
    else
      renderer->Render(left, right);
    benchmark::DoNotOptimize(left.data());
    benchmark::DoNotOptimize(right.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(kFrames / 48000.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WorstCase)
    ->ArgsProduct({{0, 1}, {4}, {0, 1}, {0, 1}})
    ->ArgNames({"heavy", "factor", "per_sample", "octets"})
    ->Unit(benchmark::kMillisecond);

} // namespace

// Cost of the voice render: ns per voice per sub-sample at 1x/2x/4x, and both parts at 24 voices at 4x as a
// real-time multiple.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/filter/CpuFeatures.h"
#include "engine/fx/FxRack.h"
#include "engine/render/PartRenderer.h"

namespace {

// typical: a plain two-oscillator patch; heavy: every modulation route on (LFO and ENV-1 to pitch, LFO to
// pulse width, cutoff and amplifier, ENV-1 to cross-mod, the filter envelope inverted), resonance with
// jitter, cross-mod, sync and a triangle VCO-1.
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
    p.SetXmodEnv1Amount(0.5);
    // Inverted, the filter envelope moves the cutoff on every sample of every phase: the dearest way.
    p.SetVcfEnvPolarity(true);
  }
}

void HoldNotes(TonePart& p, int voices, int lowest) {
  for (int i = 0; i < voices; ++i)
    p.NoteOn(lowest + i, 0.8);
}

// One part with 16 sustained notes; counter "voice_subsample" is the time per voice and sub-sample.
// groups:0 renders every voice alone (the reference path); groups:1 quads only; groups:2 runs of eight
// as octets, the rest as quads (the default where the processor has AVX-512); groups:3 pairs only;
// groups:4 runs of eight as octets in two AVX2 registers; groups:5 quads in two SSE registers.
void BM_VoiceSubSample(benchmark::State& state) {
  const int factor = static_cast<int>(state.range(0));
  const bool heavy = state.range(1) != 0;
  const bool grouped = state.range(2) != 0;
  constexpr int kVoices = 16;
  auto part = std::make_unique<TonePart>();
  part->Prepare(48000.0 * factor);
  part->SetLaneRendering(grouped);
  part->SetOctetRendering(state.range(2) == 2 && HasAvx512());
  part->SetSplitOctetRendering(state.range(2) == 4);
  part->SetSplitQuadRendering(state.range(2) == 5);
  part->Quad().SetVectorForm(state.range(2) != 3 && state.range(2) != 5);
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
    ->ArgsProduct({{1, 2, 4}, {0, 1}, {0, 1, 2, 3, 4, 5}})
    ->ArgNames({"factor", "heavy", "groups"});

// The worst case the parameters allow: both parts at 24 voices each at 4x, the five effect slots full,
// the chords struck again every half second (attack and decay are the dearest phases); counter
// "x_realtime" is seconds of 48 kHz audio per second of CPU. path: 0 the reference that renders every
// sub-sample through all voices in turn; 1 every voice alone over blocks; 2 pairs in the x86-64
// baseline form; 3 pairs in their SSE4.2 form (a processor without AVX2); 4 quads in their AVX2 form
// (the rest as pairs); 5 runs of eight as octets (AVX-512), the rest as quads and pairs; 6 runs of eight
// as octets in two AVX2 registers, the rest as quads (AVX2) and pairs; 7 runs of four as quads in two
// SSE registers (SSE4.2, a processor without AVX2), the rest as pairs (SSE4.2). A path falls
// back to the baseline forms where the processor lacks its instructions.
void BM_WorstCase(benchmark::State& state) {
  const bool heavy = state.range(0) != 0;
  const int path = static_cast<int>(state.range(1));
  auto renderer = std::make_unique<PartRenderer>();
  renderer->Prepare(48000.0, 4);
  for (TonePart* part : {&renderer->Upper(), &renderer->Lower()}) {
    part->SetLaneRendering(path >= 2);
    part->SetOctetRendering(path == 5 && HasAvx512());
    part->SetSplitOctetRendering(path == 6);
    part->SetSplitQuadRendering(path == 7);
    part->Pair().SetVectorForm(path >= 3);
    part->Quad().SetVectorForm(path >= 4 && path != 7);
    ApplyPatch(*part, heavy);
    part->SetVoiceLimit(24);
  }
  // Tens of megabytes: on the heap. Chorus, delay, three-band EQ, compressor and hall reverb.
  auto rack = std::make_unique<vlm::dsp::FxRack>();
  const int types[vlm::dsp::FxRack::kSlotCount] = {1, 4, 7, 8, 10};
  for (int slot = 0; slot < vlm::dsp::FxRack::kSlotCount; ++slot)
    rack->SetType(slot, types[slot]);
  rack->Prepare(48000.0);
  for (int slot = 0; slot < vlm::dsp::FxRack::kSlotCount; ++slot)
    rack->SetSlotParameters(slot, std::array<double, 8>{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
  rack->Prepare(48000.0); // the reverb starts on its chosen core, as the processor's reset does
  rack->ResetAll();
  rack->SetTempo(120.0);
  constexpr int kFrames = 4800;
  std::vector<double> left(kFrames), right(kFrames);
  int block = 0;
  for (auto _ : state) {
    if (block++ % 5 == 0) { // strike the chords again every half second
      HoldNotes(renderer->Upper(), 24, 40);
      HoldNotes(renderer->Lower(), 24, 41);
    }
    if (path == 0)
      renderer->RenderPerSample(left, right);
    else
      renderer->Render(left, right);
    for (int i = 0; i < kFrames; ++i)
      rack->Process(left[static_cast<std::size_t>(i)], right[static_cast<std::size_t>(i)]);
    benchmark::DoNotOptimize(left.data());
    benchmark::DoNotOptimize(right.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(kFrames / 48000.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WorstCase)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4, 5, 6, 7}})
    ->ArgNames({"heavy", "path"})
    ->Unit(benchmark::kMillisecond);

} // namespace

// Cost of one 64-frame processor block at 48 kHz: 16 or 48 sounding voices, 1x, 2x or 4x oversampling,
// with and without a typical effect chain; "xRealTime" is how many times faster than real time it runs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "processor/Velmora.h"
#include "common/EParams.h"

namespace {

using namespace vlm;

constexpr int kFrames = 64;
constexpr double kRate = 48000.0;

Velmora& Processor() {
  static const std::unique_ptr<Velmora> processor = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("TMPDIR", dir.c_str(), 1);
    return std::unique_ptr<Velmora>(CreatePluginInstance({}));
  }();
  return *processor;
}

void Set(Velmora& p, int index, double value) {
  p.GetParam(index)->Set(p.GetParam(index)->Constrain(value));
}

int ActiveVoices(const TonePart& part) {
  int n = 0;
  for (int v = 0; v < TonePart::kVoiceCount; ++v)
    n += part.GetVoice(v).IsActive() ? 1 : 0;
  return n;
}

// args: voices (16 or 48), oversampling choice (0 off, 1 2x, 2 4x), effect chain (0 none, 1 typical).
void BM_ProcessorBlock(benchmark::State& state) {
  Velmora& p = Processor();
  const int voices = static_cast<int>(state.range(0));
  for (int i = 0; i < kNumParams; ++i)
    p.GetParam(i)->Set(p.GetParam(i)->GetDefault());
  // "Dual": every key sounds one voice in each part; the polyphony choice sets the limit per part.
  Set(p, kKeyMode, 3);
  Set(p, kPolyphony, voices == 48 ? 4 : 0);
  Set(p, kOversampling, static_cast<double>(state.range(1)));
  if (state.range(2) != 0) { // studio chorus, delay and reverb, each half wet
    const int types[3] = {2, 4, 10};
    for (int slot = 0; slot < 3; ++slot) {
      Set(p, FxSlotParam(slot, kFxSlotType), types[slot]);
      for (int k = 0; k < 8; ++k)
        Set(p, FxSlotParam(slot, kFxSlotP0 + k), 0.5);
    }
  }
  p.OnParamReset(keel::kReset);
  p.SetBlockSize(kFrames);
  p.SetSampleRate(kRate);
  p.OnReset();
  for (int k = 0; k < voices / 2; ++k)
    p.ProcessMidiMsg(keel::MidiMsg(0, 0x90, static_cast<uint8_t>(36 + k), 100));

  double left[kFrames];
  double right[kFrames];
  double* outputs[2] = {left, right};
  for (int i = 0; i < 50; ++i)
    p.ProcessBlock(nullptr, outputs, kFrames);
  for (auto _ : state) {
    p.ProcessBlock(nullptr, outputs, kFrames);
    benchmark::DoNotOptimize(left[0]);
  }
  state.counters["voices"] = ActiveVoices(p.GetUpper()) + ActiveVoices(p.GetLower());
  state.counters["xRealTime"] =
      benchmark::Counter(kFrames / kRate, benchmark::Counter::kIsIterationInvariantRate);
  p.ProcessMidiMsg(keel::MidiMsg(0, 0xB0, 123, 0));
}

BENCHMARK(BM_ProcessorBlock)
    ->ArgNames({"voices", "os", "fx"})
    ->ArgsProduct({{16, 48}, {0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

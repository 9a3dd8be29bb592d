// Test helper: one processor per test executable, restarted from its defaults at 48 kHz for each test,
// with parameter changes as the host makes them and offline renders by 64-frame blocks.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "processor/Velmora.h"
#include "common/EParams.h"

namespace playing {

struct Stereo {
  std::vector<double> left;
  std::vector<double> right;
};

// The object is about 43 MB: made once, on the heap, and reused. Its log goes to a folder of this process.
inline Velmora& Processor() {
  static const std::unique_ptr<Velmora> processor = [] {
    const auto dir =
        std::filesystem::temp_directory_path() / ("velmora-playing-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("TMPDIR", dir.c_str(), 1);
    ::setenv("TEMP", dir.c_str(), 1);
    ::setenv("TMP", dir.c_str(), 1);
    return std::unique_ptr<Velmora>(CreatePluginInstance({}));
  }();
  return *processor;
}

// As the host sets a parameter: the value is stored, then the change hook runs.
inline void SetParam(Velmora& p, int index, double value) {
  keel::IParam* param = p.GetParam(index);
  param->Set(param->Constrain(value));
  p.OnParamChange(index);
}

inline void Midi(Velmora& p, int status, int d1, int d2 = 0) {
  p.ProcessMidiMsg(
      keel::MidiMsg(0, static_cast<uint8_t>(status), static_cast<uint8_t>(d1), static_cast<uint8_t>(d2)));
}

// Every parameter at its default, then the overrides; neutral controllers (`beforeReset` may send other
// MIDI); then the stream's reset, which applies everything.
inline void Restart(Velmora& p, std::initializer_list<std::pair<int, double>> params = {},
                    const std::function<void(Velmora&)>& beforeReset = nullptr, double rate = 48000.0) {
  for (int i = 0; i < vlm::kNumParams; ++i)
    p.GetParam(i)->Set(p.GetParam(i)->GetDefault());
  for (const auto& [index, value] : params)
    p.GetParam(index)->Set(p.GetParam(index)->Constrain(value));
  p.OnParamReset(keel::kReset);
  p.TakeStateRestored();
  Midi(p, 0xB0, 123, 0);
  Midi(p, 0xB0, 7, 127);
  Midi(p, 0xB0, 1, 0);
  Midi(p, 0xB0, 64, 0);
  Midi(p, 0xD0, 0);
  Midi(p, 0xE0, 0, 64);
  if (beforeReset)
    beforeReset(p);
  IdleParamChange change;
  while (p.PopControllerParamChange(change)) {
  }
  p.SetBlockSize(64);
  p.SetSampleRate(rate);
  p.OnReset();
}

// frames frames in 64-frame blocks, straight through ProcessBlock.
inline Stereo Render(Velmora& p, int frames) {
  Stereo out{std::vector<double>(static_cast<size_t>(frames)),
             std::vector<double>(static_cast<size_t>(frames))};
  for (int at = 0; at < frames; at += 64) {
    double* outputs[2] = {out.left.data() + at, out.right.data() + at};
    p.ProcessBlock(nullptr, outputs, std::min(64, frames - at));
  }
  return out;
}

// blocks 64-frame blocks with a note struck every 20 blocks and released 10 blocks later; beforeBlock
// runs ahead of each block. Returns the sum of the output's magnitudes.
template <class BeforeBlock> double PlayNotesInBlocks(Velmora& p, int blocks, BeforeBlock beforeBlock) {
  double sum = 0.0;
  for (int block = 0; block < blocks; ++block) {
    beforeBlock(block);
    if (block % 20 == 0)
      Midi(p, 0x90, 48 + block % 24, 100);
    if (block % 20 == 10)
      Midi(p, 0x80, 48 + (block - 10) % 24, 0);
    const Stereo out = Render(p, 64);
    for (int i = 0; i < 64; ++i)
      sum += std::fabs(out.left[i]) + std::fabs(out.right[i]);
  }
  return sum;
}

inline double Rms(const std::vector<double>& x, size_t from = 0, size_t to = SIZE_MAX) {
  to = std::min(to, x.size());
  double sum = 0.0;
  for (size_t i = from; i < to; ++i)
    sum += x[i] * x[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

} // namespace playing

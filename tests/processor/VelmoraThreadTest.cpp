// Parameters, mutes and commands from a second thread while the audio thread renders: no data race (this
// executable also runs under ThreadSanitizer) and the output stays finite.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "PlayingProcessor.h"

namespace {

using namespace playing;
using namespace vlm;

TEST(VelmoraThreads, ParametersChangedFromAnotherThreadDuringRenderingReachTheEngineSafely) {
  Velmora& p = Processor();
  Restart(p, {{kKeyMode, 3}, {FxSlotParam(0, kFxSlotType), 1}, {FxSlotParam(1, kFxSlotType), 10}});
  std::atomic<bool> stop{false};
  std::thread ui([&] {
    unsigned seed = 12345;
    for (int i = 0; !stop.load(); ++i) {
      seed = seed * 1664525u + 1013904223u;
      const int index = static_cast<int>(seed % kNumSoundParams);
      if (index == kOversampling || index == kPolyphony)
        continue; // re-preparing the parts is slow; they get their own turns below
      keel::IParam* param = p.GetParam(index);
      param->SetNormalized((seed >> 8) % 1000 / 999.0);
      p.OnParamChange(index);
      if (i % 50 == 0) {
        p.ArmOutputMute(0.02);
        p.RequestAllNotesOff(true, i % 100 == 0);
        p.RequestActiveEffectsReset();
        (void)p.GetPeakLeft();
        (void)p.GetPerformanceVolume();
      }
      if (i % 500 == 0)
        SetParam(p, kOversampling, (i / 500) % 3);
      std::this_thread::yield();
    }
  });
  const double sum = PlayNotesInBlocks(p, 1500, [](int) {});
  stop.store(true);
  ui.join();
  EXPECT_TRUE(std::isfinite(sum));
  // Whatever was changed last is in the engine after one more block.
  SetParam(p, kMaster, -6.0);
  SetParam(p, kPatchVolume, 0.0);
  Render(p, 64);
  EXPECT_NEAR(std::exp(-6.0 * 0.1151292546497), p.GetOutputGainTarget(), 1e-12);
}

} // namespace

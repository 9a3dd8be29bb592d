// Controller maps changed on a second thread (assignments, takeover mode, learn, state restores, the idle
// tick) while the audio thread plays mapped controllers and renders: no data race (this executable also
// runs under ThreadSanitizer) and the parameters stay within their ranges.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>

#include "tests/processor/PlayingProcessor.h"

namespace {

using namespace playing;
using namespace vlm;

TEST(MidiMapThreads, MapsChangedFromTheUiThreadWhileControllersPlayOnTheAudioThread) {
  Velmora& p = Processor();
  Restart(p);
  // A saved state with some assignments, restored now and then as a host would on its own thread.
  keel::ByteChunk saved;
  p.SetCcAssignment(kBalance, 1);
  p.SetCcAssignment(kMaster, 2);
  ASSERT_TRUE(p.SerializeState(saved));
  std::atomic<bool> stop{false};
  std::thread ui([&] {
    unsigned seed = 777;
    for (int i = 0; !stop.load(); ++i) {
      seed = seed * 1664525u + 1013904223u;
      const int param = static_cast<int>(seed % kNumSoundParams);
      if (param == kOversampling || param == kPolyphony)
        continue; // re-preparing the parts is slow and not what this test is about
      // Assignments from the page and from the host, whole-map rebuilds, modes and learn.
      p.SetCcAssignment(param, static_cast<int>((seed >> 8) % 8) - 1);
      if (i % 7 == 0)
        SetParam(p, CcMapParam(param), static_cast<double>((seed >> 12) % 6));
      if (i % 31 == 0)
        p.RebuildCcLookup();
      if (i % 97 == 0)
        p.OnUIPrefsPayload(i % 2 ? R"({"knobMode":"pickup"})" : R"({"knobMode":"scaling"})");
      if (i % 53 == 0) {
        p.OnMidiLearnRequest(R"({"op":"setActive","active":true})");
        p.OnMidiLearnRequest(R"({"op":"selectTarget","paramIdx":)" + std::to_string(param) + "}");
      }
      if (i % 59 == 0)
        p.OnMidiLearnRequest(R"({"op":"setActive","active":false})");
      if (i % 211 == 0)
        p.UnserializeState(saved, 0);
      p.RunControllerMapIdle();
      std::this_thread::yield();
    }
  });
  const double sum = PlayNotesInBlocks(p, 1500, [&p](int block) {
    for (int cc = 0; cc < 6; ++cc)
      Midi(p, 0xB0, cc, (block * (cc + 3)) % 128);
  });
  stop.store(true);
  ui.join();
  EXPECT_TRUE(std::isfinite(sum));
  for (int i = 0; i < kNumSoundParams; ++i) {
    const keel::IParam* param = p.GetParam(i);
    ASSERT_NE(param, nullptr) << i;
    EXPECT_TRUE(param->Value() >= param->GetMin() && param->Value() <= param->GetMax()) << i;
  }
  p.OnMidiLearnRequest(R"({"op":"setActive","active":false})");
}

} // namespace

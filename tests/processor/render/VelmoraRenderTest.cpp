// Block rendering through the processor: sound at all, stereo modes, balance and key modes, output gains,
// the mute around an effect switch, and the peak meters.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/processor/PlayingProcessor.h"

namespace {

using namespace playing;
using namespace vlm;

constexpr int kNote = 60;

TEST(VelmoraRender, ANoteThroughTheDeviceBlockEntryIsHeard) {
  Velmora& p = Processor();
  Restart(p);
  p.PushDeviceMidi(keel::MidiMsg(0, 0x90, kNote, 100));
  std::vector<double> left(64 * 100);
  std::vector<double> right(64 * 100);
  for (int block = 0; block < 100; ++block) {
    double* outputs[2] = {left.data() + 64 * block, right.data() + 64 * block};
    p.RunDeviceBlock(nullptr, outputs, 64);
  }
  EXPECT_GT(Rms(left), 1e-3);
  EXPECT_GT(Rms(right), 1e-3);
  EXPECT_GT(p.GetPeakLeft(), 0.0f);
  EXPECT_GT(p.GetPeakRight(), 0.0f);
}

TEST(VelmoraRender, SeparateStereoGivesUpperTheLeftAndLowerTheRight) {
  for (int factor : {0, 1, 2}) {
    Velmora& p = Processor();
    Restart(p, {{kStereo, 1}, {kKeyMode, 2}, {kSplitPoint, 60}, {kBalance, 0.2}, {kOversampling, factor}});
    Midi(p, 0x90, 72, 100); // above the split point: Upper only
    const Stereo upperOnly = Render(p, 4800);
    EXPECT_GT(Rms(upperOnly.left), 1e-3) << factor;
    for (double s : upperOnly.right)
      ASSERT_EQ(0.0, s) << "factor " << factor;

    Restart(p, {{kStereo, 1}, {kKeyMode, 2}, {kSplitPoint, 60}, {kOversampling, factor}});
    Midi(p, 0x90, 48, 100); // below: Lower only
    const Stereo lowerOnly = Render(p, 4800);
    EXPECT_GT(Rms(lowerOnly.right), 1e-3) << factor;
    for (double s : lowerOnly.left)
      ASSERT_EQ(0.0, s) << "factor " << factor;
  }
}

TEST(VelmoraRender, DualAtBalanceOneIsWholeAtBalanceHalfBitForBit) {
  for (int factor : {0, 1, 2}) {
    Velmora& p = Processor();
    Restart(p, {{kKeyMode, 3}, {kBalance, 1.0}, {kOversampling, factor}});
    Midi(p, 0x90, kNote, 100);
    Midi(p, 0x90, kNote + 7, 90);
    const Stereo dual = Render(p, 6400);
    Restart(p, {{kKeyMode, 0}, {kBalance, 0.5}, {kOversampling, factor}});
    Midi(p, 0x90, kNote, 100);
    Midi(p, 0x90, kNote + 7, 90);
    const Stereo whole = Render(p, 6400);
    EXPECT_GT(Rms(whole.left), 1e-3);
    for (size_t i = 0; i < dual.left.size(); ++i) {
      ASSERT_EQ(whole.left[i], dual.left[i]) << "factor " << factor << " sample " << i;
      ASSERT_EQ(whole.right[i], dual.right[i]) << "factor " << factor << " sample " << i;
    }
  }
}

TEST(VelmoraRender, BalanceGainsKeepTheLouderSideAtOne) {
  struct Case {
    double balance, upper, lower;
  };
  for (const Case c :
       {Case{1.0, 1.0, 0.0}, Case{0.0, 0.0, 1.0}, Case{0.5, 1.0, 1.0}, Case{0.75, 1.0, 1.0 / 3.0}}) {
    double upper = -1.0;
    double lower = -1.0;
    Velmora::BalanceGains(c.balance, upper, lower);
    EXPECT_DOUBLE_EQ(c.upper, upper) << c.balance;
    EXPECT_DOUBLE_EQ(c.lower, lower) << c.balance;
  }
}

// The output is linear in the gains once the smoothers start settled (the reset snaps them).
void ExpectRatio(const Stereo& scaled, const Stereo& reference, double ratio) {
  int compared = 0;
  for (size_t i = 0; i < reference.left.size(); ++i) {
    if (std::fabs(reference.left[i]) < 1e-4)
      continue;
    ASSERT_NEAR(ratio, scaled.left[i] / reference.left[i], 1e-9 * ratio) << "sample " << i;
    ++compared;
  }
  EXPECT_GT(compared, 1000);
}

TEST(VelmoraRender, MasterAndPatchVolumeScaleTheOutputByTheirExactGain) {
  Velmora& p = Processor();
  Restart(p, {{kMaster, 0.0}, {kPatchVolume, 0.0}});
  Midi(p, 0x90, kNote, 100);
  const Stereo reference = Render(p, 4800);

  Restart(p, {{kMaster, -12.0}, {kPatchVolume, 0.0}});
  EXPECT_NEAR(0.2512, p.GetOutputGainTarget(), 1e-4);
  Midi(p, 0x90, kNote, 100);
  ExpectRatio(Render(p, 4800), reference, std::exp(-12.0 * 0.1151292546497));

  Restart(p, {{kMaster, 0.0}, {kPatchVolume, 12.0}});
  EXPECT_NEAR(3.981, p.GetOutputGainTarget(), 1e-3);
  Midi(p, 0x90, kNote, 100);
  ExpectRatio(Render(p, 4800), reference, std::exp(12.0 * 0.1151292546497));
}

TEST(VelmoraRender, PerformanceVolumeFollowsTheControllerSevenCurve) {
  Velmora& p = Processor();
  Restart(p, {{kMaster, 0.0}});
  Midi(p, 0x90, kNote, 100);
  const Stereo reference = Render(p, 4800); // controller 7 at 127: gain 1
  struct Case {
    int value;
    double gain;
  };
  for (const Case c : {Case{0, 0.002039}, Case{64, 0.294219 + (0.36057 - 0.294219) * 0.4},
                       Case{107, 0.815277}, Case{127, 1.0}}) {
    Restart(p, {{kMaster, 0.0}}, [&](Velmora& v) { Midi(v, 0xB0, 7, c.value); });
    EXPECT_NEAR(c.gain, p.GetPerformanceVolumeGain(), 1e-12) << c.value;
    EXPECT_DOUBLE_EQ(c.value / 127.0, p.GetPerformanceVolume());
    Midi(p, 0x90, kNote, 100);
    ExpectRatio(Render(p, 4800), reference, c.gain);
  }
}

TEST(VelmoraRender, AnEffectSwitchWaitsForTheMutesSilenceAndTheLevelReturnsAfterTenMilliseconds) {
  Velmora& p = Processor();
  const int change = 4800;
  Restart(p);
  Midi(p, 0x90, kNote, 100);
  const Stereo reference = Render(p, change + 4800);

  Restart(p);
  Midi(p, 0x90, kNote, 100);
  Stereo before = Render(p, change);
  // "(reserved)": the slot stays empty, and the output is still muted for 10 ms.
  SetParam(p, FxSlotParam(0, kFxSlotType), 14);
  const Stereo after = Render(p, 4800);
  EXPECT_EQ(480, p.GetMuteRamp().Total());
  EXPECT_EQ(0, p.GetMuteRamp().Remaining());
  EXPECT_EQ(nullptr, p.GetFxRack().Slot(0).Active());

  // The ramp: a fade over 120 samples, 240 of silence where only the DC blocker rings down, a fade back.
  const double k = p.GetDcCoefficient();
  EXPECT_GT(std::fabs(after.left[121]), 0.0);
  for (int n = 121; n < 359; ++n)
    ASSERT_EQ(k * after.left[n], after.left[n + 1]) << n;
  EXPECT_GT(Rms(reference.left, change + 1440, change + 2400), 1e-3);
  EXPECT_NEAR(1.0, Rms(after.left, 1440, 2400) / Rms(reference.left, change + 1440, change + 2400), 0.05);
  EXPECT_NEAR(1.0, Rms(after.left, 2400, 4800) / Rms(reference.left, change + 2400, change + 4800), 0.01);
}

TEST(VelmoraRender, TheNewEffectTakesTheSlotOnlyOnceTheOutputIsSilent) {
  Velmora& p = Processor();
  Restart(p);
  SetParam(p, FxSlotParam(2, kFxSlotType), 10); // Reverb
  Render(p, 64);                                // fade out: samples 0..63 of 120
  EXPECT_EQ(vlm::dsp::EffectType::Off, p.GetFxRack().Slot(2).Type());
  Render(p, 64); // silence starts at sample 120
  EXPECT_EQ(vlm::dsp::EffectType::Reverb, p.GetFxRack().Slot(2).Type());
}

TEST(VelmoraRender, OversamplingChangesAtTheNextBlockStart) {
  Velmora& p = Processor();
  Restart(p);
  SetParam(p, kOversampling, 2);
  EXPECT_EQ(1, p.GetOversampling());
  Render(p, 64);
  EXPECT_EQ(4, p.GetOversampling());
  EXPECT_DOUBLE_EQ(4 * 48000.0, p.GetUpper().SampleRate());
}

TEST(VelmoraRender, ArpeggiatedNotesReachThePartsAndLeaveWithTheArpeggiator) {
  Velmora& p = Processor();
  Restart(p, {{FxSlotParam(0, kFxSlotType), 12}});
  Render(p, 64); // the first block meets the arpeggiator and starts it clean
  Midi(p, 0x90, kNote, 100);
  EXPECT_FALSE(p.GetUpper().AnyVoiceActive()); // the arpeggiator takes the key, not the part
  Render(p, 48000 / 2);
  EXPECT_TRUE(p.GetUpper().AnyVoiceActive());
  SetParam(p, FxBypassParam(0), 1); // the arpeggiator is gone: what it held is released
  Render(p, 64);
  EXPECT_EQ(0, p.GetHeldNoteCount());
  for (int v = 0; v < TonePart::kVoiceCount; ++v)
    EXPECT_FALSE(p.GetUpper().VoiceHeld(v)) << v;
}

TEST(VelmoraRender, ABlockOfNoFramesWritesNothingAndLeavesTheMeters) {
  Velmora& p = Processor();
  Restart(p);
  p.ProcessBlock(nullptr, nullptr, 0);
  EXPECT_EQ(0.0f, p.GetPeakLeft());
  EXPECT_EQ(0.0f, p.GetPeakRight());
}

} // namespace

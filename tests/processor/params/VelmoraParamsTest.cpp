// Parameters to the engine: applied at the next block start, coalesced, converted through their tables,
// and applied as a whole by the stream's reset.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "processor/params/ToneParamTables.h"
#include "tests/processor/PlayingProcessor.h"

namespace {

using namespace playing;
using namespace vlm;

Voice& FirstVoice(const TonePart& part) {
  return const_cast<TonePart&>(part).GetVoice(0);
}

void SetNormalized(Velmora& p, int index, double x) {
  p.GetParam(index)->SetNormalized(x);
  p.OnParamChange(index);
}

TEST(VelmoraParams, AChangeReachesTheEngineAtTheNextBlockStartWithItsLatestValue) {
  Velmora& p = Processor();
  Restart(p, {{kMaster, 0.0}});
  EXPECT_DOUBLE_EQ(1.0, p.GetOutputGainTarget());
  SetParam(p, kMaster, -20.0);
  SetParam(p, kMaster, -12.0);
  SetParam(p, kPolyphony, 2);
  EXPECT_DOUBLE_EQ(1.0, p.GetOutputGainTarget()); // not yet: the engine is the audio thread's
  EXPECT_EQ(8, p.GetUpper().VoiceLimit());
  Render(p, 64);
  EXPECT_NEAR(0.2512, p.GetOutputGainTarget(), 1e-4);
  EXPECT_EQ(16, p.GetUpper().VoiceLimit());
  EXPECT_EQ(16, p.GetLower().VoiceLimit());
}

TEST(VelmoraParams, EnvelopeTimesReachTheEngineThroughTheirOwnCurves) {
  Velmora& p = Processor();
  Restart(p);
  SetNormalized(p, UpperToneParam(kToneEnv1Decay), 1.0);
  SetNormalized(p, UpperToneParam(kToneEnv1Release), 1.0);
  SetNormalized(p, UpperToneParam(kToneEnv1Attack), 1.0);
  SetNormalized(p, LowerToneParam(kToneEnv2Attack), 0.0);
  SetNormalized(p, LowerToneParam(kToneEnv2Sustain), 0.5);
  Render(p, 64);
  Voice& upper = FirstVoice(p.GetUpper());
  EXPECT_NEAR(19744.8125, upper.Env1().DecayMs(), 1e-9); // displayed: 9775.0104
  EXPECT_NEAR(19744.8125, upper.Env1Copy().DecayMs(), 1e-9);
  EXPECT_NEAR(19191.2292, upper.Env1().ReleaseMs(), 1e-9); // displayed: 9445.7917
  EXPECT_NEAR(20352.0833, upper.Env1().AttackMs(), 1e-9);
  EXPECT_NEAR(20352.0833 * 1.4, upper.Env1Copy().AttackMs(), 1e-6);
  Voice& lower = FirstVoice(p.GetLower());
  EXPECT_NEAR(1.244 * 2.5312, lower.Env2().AttackMs(), 1e-9);
  EXPECT_NEAR(1.244 * 2.5312, lower.Env2Copy().AttackMs(), 1e-9);
  EXPECT_NEAR(0.3125, lower.Env2().Sustain(), 1e-12);
}

TEST(VelmoraParams, ToneTablesGiveTheirBreakpointsAndInterpolateBetween) {
  struct Case {
    double (*table)(double);
    double x, expected;
    const char* what;
  };
  for (const Case c : {Case{VcfEnvAmountPercent, 0.5, 40.43, "VCF Env Amount"},
                       Case{VcfEnvAmountPercent, 0.125, 10.51, "VCF Env Amount between 0 and 25"},
                       Case{Env1FilterAttackFactor, 0.2, 0.5, "filter attack"},
                       Case{Env1FilterAttackFactor, 0.425, 0.59, "filter attack between"},
                       Case{Env2SustainLevel, 0.5, 0.3125, "ENV2 Sustain"},
                       Case{Env2KeyFollowAmount, 1.0, 1.021178, "ENV2 Key Follow, not held"},
                       Case{Lfo1RandomRateHz, 1.0, 124.449, "random rate"},
                       Case{Lfo1RandomRateHz, 2.0, 124.449, "random rate, x held"},
                       Case{DynamicsLevelAmount, 0.26, 0.342, "Dynamics Level"},
                       Case{DynamicsLevelAmount, 0.13, 0.171, "Dynamics Level between"}})
    EXPECT_NEAR(c.expected, c.table(c.x), 1e-9) << c.what;
}

TEST(VelmoraParams, NoiseAsVcoTwoWaveMarksThePartAsUsingTheNoiseSource) {
  Velmora& p = Processor();
  Restart(p);
  EXPECT_FALSE(p.GetLower().NoiseInUse());
  SetParam(p, LowerToneParam(kToneVco2Wave), 3);
  Render(p, 64);
  EXPECT_TRUE(p.GetLower().NoiseInUse());
  EXPECT_FALSE(p.GetUpper().NoiseInUse());
}

TEST(VelmoraParams, ABulkChangeIsAppliedAtTheNextBlockAndRaisesTheStateRestoredFlag) {
  Velmora& p = Processor();
  Restart(p);
  p.GetParam(kStereo)->Set(1);
  p.GetParam(kMaster)->Set(0);
  p.OnParamReset(keel::kPresetRecall);
  EXPECT_TRUE(p.TakeStateRestored());
  EXPECT_FALSE(p.TakeStateRestored());
  EXPECT_EQ(0, p.GetStereoMode());
  Render(p, 64);
  EXPECT_EQ(1, p.GetStereoMode());
  EXPECT_DOUBLE_EQ(1.0, p.GetOutputGainTarget());
}

TEST(VelmoraParams, RequestedNotesOffSilenceOnlyThePartsAskedFor) {
  Velmora& p = Processor();
  Restart(p, {{kKeyMode, 3}});
  Midi(p, 0x90, 60, 100);
  p.RequestAllNotesOff(false, true);
  EXPECT_TRUE(p.GetLower().VoiceHeld(0) || p.GetLower().AnyVoiceActive());
  Render(p, 64);
  bool upperHeld = false;
  bool lowerHeld = false;
  for (int v = 0; v < TonePart::kVoiceCount; ++v) {
    upperHeld |= p.GetUpper().VoiceHeld(v);
    lowerHeld |= p.GetLower().VoiceHeld(v);
  }
  EXPECT_TRUE(upperHeld);
  EXPECT_FALSE(lowerHeld);
}

TEST(VelmoraParams, AResetOfTheActiveEffectsWaitsForTheMutesSilence) {
  Velmora& p = Processor();
  auto run = [&p](bool reset) {
    // A delay with feedback and half its signal wet.
    Restart(p, {{FxSlotParam(0, kFxSlotType), 4},
                {FxSlotParam(0, kFxSlotP0 + 4), 0.5},
                {FxSlotParam(0, kFxSlotP0 + 7), 0.5}});
    Midi(p, 0x90, 60, 100);
    Render(p, 4800);
    p.ArmOutputMute(0.04); // as a preset load does: 1920 samples, silent from sample 480 to 1440
    if (reset)
      p.RequestActiveEffectsReset();
    return Render(p, 1920 + 9600);
  };
  const Stereo muted = run(false);
  const Stereo reset = run(true);
  for (int n = 0; n < 480; ++n) // still fading out: the delay keeps its lines
    ASSERT_EQ(muted.left[n], reset.left[n]) << n;
  double difference = 0.0;
  for (size_t n = 1440; n < muted.left.size(); ++n)
    difference = std::max(difference, std::fabs(muted.left[n] - reset.left[n]));
  EXPECT_GT(difference, 1e-4); // after the silence the delay starts from empty lines
}

TEST(VelmoraParams, TheResetLogsItsRateAndWhatItApplied) {
  Velmora& p = Processor();
  Restart(p, {{kOversampling, 2}}, nullptr, 44100.0);
  EXPECT_EQ(4, p.GetOversampling());
  EXPECT_NEAR(1.0 - 113.09733552923255 / 44100.0, p.GetDcCoefficient(), 1e-15);
  std::ifstream log(std::filesystem::path(std::getenv("TMPDIR")) / "velmora.log");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("OnReset: sampleRate=44100.0"));
  EXPECT_NE(std::string::npos, text.str().find("OnReset: done (OS=4x, poly=8)"));
}

TEST(VelmoraParams, TheResetAppliesAChangeMadeWhileNoBlockRan) {
  Velmora& p = Processor();
  Restart(p);
  SetParam(p, FxSlotParam(4, kFxSlotType), 10);
  SetParam(p, FxSlotParam(3, kFxSlotType), 4);
  SetParam(p, FxSlotParam(3, kFxSlotP0 + 2), 0.5); // free delay time: 2000^0.5 ms
  SetParam(p, FxBypassParam(2), 1);
  SetParam(p, kKeyMode, 2);
  p.OnReset(); // the stream restarts before any block
  EXPECT_EQ(vlm::dsp::EffectType::Reverb, p.GetFxRack().Slot(4).Type());
  auto& rack = const_cast<vlm::dsp::FxRack&>(p.GetFxRack());
  EXPECT_NEAR(std::sqrt(2000.0), static_cast<vlm::dsp::Delay*>(rack.Slot(3).Active())->FreeMs(), 1e-9);
  EXPECT_TRUE(p.GetFxRack().IsBypassed(2));
  EXPECT_EQ(2, p.GetKeyMode());
  EXPECT_EQ(0, p.GetMuteRamp().Remaining());
}

} // namespace

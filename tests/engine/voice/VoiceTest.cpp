// Voice: pitch of both oscillators, cross-mod extremes, mixer gains, curve state on retrigger and the end of
// a voice.
#include "engine/voice/Voice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;

double Semitones(double hz, double refHz) {
  return 12.0 * std::log2(hz / refHz);
}
double KeyHz(double key) {
  return 440.0 * std::exp2((key - 69.0) / 12.0);
}

class VoiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    voice = std::make_unique<Voice>();
    voice->Prepare(kRate);
    voice->Reset();
    voice->SetVcaLevel(1.0);
    voice->SetVcfCutoff(5000.0);
  }
  // Oscillator frequencies after one rendered sample.
  double Vco1Hz() const { return voice->Vco1().Increment() * kRate; }
  double Vco2Hz() const { return voice->Vco2().Increment() * kRate; }

  std::unique_ptr<Voice> voice;
};

struct RangeCase {
  int code;
  double fineCents;
  double expectedSemitones; // VCO-2 relative to the key
};

TEST_F(VoiceTest, Vco2RangeCodesAndFineTuneSetItsPitch) {
  const RangeCase cases[] = {
      {3, 0.0, 0.0},   {1, 0.0, -24.0},   {2, 0.0, -12.0},  {4, 0.0, 12.0},
      {5, 0.0, 24.0},  {3, 25.0, 0.25},   {5, -50.0, 23.5}, {3, 60.0, 0.5}, // fine tune held at +-50 cents
      {0, 0.0, -47.0}, {0, -50.0, -72.0}, {0, 50.0, -24.0}, // low range: knob sets -72..-24, fine ignored
      {6, 0.0, 48.89}, {6, -50.0, 23.9},  {6, 50.0, 71.96}, // high range: curve through the knob
  };
  for (const RangeCase& c : cases) {
    voice->SetVco2Range(c.code);
    voice->SetVco2FineTune(c.fineCents);
    voice->NoteOn(60, 1.0, false);
    EXPECT_NEAR(Semitones(voice->Base2Hz(), KeyHz(60)), c.expectedSemitones, 1e-9)
        << "code " << c.code << " fine " << c.fineCents;
    EXPECT_NEAR(Semitones(voice->Base1Hz(), KeyHz(60)), 0.0, 1e-9);
  }
  EXPECT_EQ(Voice::FineTunePosition(0.0), 0.5);
  EXPECT_EQ(Voice::FineTunePosition(60.0), 1.0);
  EXPECT_EQ(Voice::Vco2RangeSemitones(0, 0.96), -24.0);
  EXPECT_EQ(Voice::Vco2RangeSemitones(0, 0.0), -72.0);
}

TEST_F(VoiceTest, KeyFollowTuneOctaveAndRangeMoveTheBaseFrequencies) {
  voice->SetVcoKeyFollowTarget(Voice::kKeyFollowVco1);
  voice->SetVcoKeyFollow(0.0);
  voice->NoteOn(72, 1.0, false);
  EXPECT_NEAR(Semitones(voice->Base1Hz(), KeyHz(60)), 0.0, 1e-9); // VCO-1 stays at key 60
  EXPECT_NEAR(Semitones(voice->Base2Hz(), KeyHz(72)), 0.0, 1e-9);
  voice->SetVcoKeyFollowTarget(Voice::kKeyFollowNeither);
  EXPECT_NEAR(Semitones(voice->Base1Hz(), KeyHz(72)), 0.0, 1e-9);
  voice->SetTune(150.0); // held at +100 cents
  voice->SetOctaveShift(1);
  voice->SetVco1Range(-1);
  EXPECT_NEAR(Semitones(voice->Base1Hz(), KeyHz(72)), 1.0, 1e-9);
  EXPECT_NEAR(Semitones(voice->Base2Hz(), KeyHz(84)), 1.0, 1e-9);
}

TEST_F(VoiceTest, BendAndModulationModesActPerOscillator) {
  voice->SetBendRange(2.0);
  voice->SetPitchBend(1.0);
  voice->SetVco1BendMode(Voice::kBendWide);
  voice->SetVco2BendMode(Voice::kBendOff);
  voice->SetVcoModLfoAmount(3.0);
  voice->SetVco1ModMode(Voice::kModNormal);
  voice->SetVco2ModMode(Voice::kModInverted);
  voice->NoteOn(60, 1.0, false);
  voice->RenderSample(0.0, 1.0, 0.0); // LFO-1 at +1, no delay
  // Drift amount 0 still lets the two VCOs wander apart by a fraction of a cent.
  EXPECT_NEAR(Semitones(Vco1Hz(), KeyHz(60)), 4.0 + 3.0, 0.01);
  EXPECT_NEAR(Semitones(Vco2Hz(), KeyHz(60)), -3.0, 0.01);
  voice->SetVco1ModMode(Voice::kModOff);
  voice->SetLfo2Mode(Voice::kAftertouchPitch);
  voice->SetAftertouch(1.0);
  voice->SetAftertouchSensitivity(0.5);
  voice->RenderSample(0.0, 1.0, -1.0); // aftertouch vibrato: 1 x 0.5 x 2 x -1 semitones
  EXPECT_NEAR(Semitones(Vco1Hz(), KeyHz(60)), 4.0 - 1.0, 0.01);
  EXPECT_NEAR(Semitones(Vco2Hz(), KeyHz(60)), -3.0 - 1.0, 0.01);
}

TEST_F(VoiceTest, FullCrossModulationSpansUpAndDownOctaves) {
  // A noise VCO-2 plays the shared sample; an input of 1.0 leaves the mixer at tanh(1) x 1/tanh(1) = 1.
  voice->SetVco2Waveform(Vco::kNoise);
  voice->SetXmodManual(1.0);
  struct Case {
    double noise;
    bool inverted;
    double octaves;
  } cases[] = {{1.0, false, 3.95}, {-1.0, false, -2.5675}, {1.0, true, -2.5675}, {-1.0, true, 3.95}};
  for (const Case& c : cases) {
    voice->Reset();
    voice->SetXmodPolarity(c.inverted);
    voice->NoteOn(60, 1.0, false);
    for (int i = 0; i < 3; ++i)
      voice->RenderSample(c.noise, 0.0, 0.0);
    EXPECT_NEAR(std::log2(Vco1Hz() / KeyHz(60)), c.octaves, 1e-4) << c.noise << " " << c.inverted;
  }
}

TEST_F(VoiceTest, AnInactiveSampleClearsTheCrossModHistory) {
  voice->SetVco2Waveform(Vco::kNoise);
  voice->SetXmodManual(1.0);
  voice->Env2().SetRelease(1.0);
  voice->NoteOn(60, 1.0, false);
  for (int i = 0; i < 100; ++i)
    voice->RenderSample(1.0, 0.0, 0.0);
  voice->NoteOff();
  while (voice->IsActive())
    voice->RenderSample(1.0, 0.0, 0.0);
  voice->RenderSample(1.0, 0.0, 0.0); // silent sample of the idle voice
  voice->NoteOn(60, 1.0, false);
  voice->RenderSample(1.0, 0.0, 0.0); // history still empty when VCO-1's pitch is taken
  EXPECT_NEAR(std::log2(Vco1Hz() / KeyHz(60)), 0.0, 1e-4);
}

TEST_F(VoiceTest, VcoMixGainsKeepTheirNormAtOne) {
  voice->SetVcoMix(0.0);
  EXPECT_EQ(voice->Vco1Gain(), 1.0);
  EXPECT_EQ(voice->Vco2Gain(), 0.0);
  voice->SetVcoMix(1.0);
  EXPECT_NEAR(voice->Vco1Gain(), 0.0, 1e-12);
  EXPECT_NEAR(voice->Vco2Gain(), 1.0, 1e-12);
  voice->SetVcoMix(0.5);
  const double a = 0.553077;
  EXPECT_NEAR(voice->Vco2Gain() / (voice->Vco1Gain() + voice->Vco2Gain()), a, 1e-12);
  EXPECT_NEAR(std::pow(voice->Vco1Gain(), 2.55) + std::pow(voice->Vco2Gain(), 2.55), 1.0, 1e-12);
}

TEST_F(VoiceTest, PulseWidthFollowsItsSourceAndPolarity) {
  voice->SetPulseWidth(0.3);
  voice->SetPwmAmount(0.5);
  voice->SetPwmSource(Voice::kPwmKey);
  voice->NoteOn(84, 1.0, false); // (84 - 60) / 24 = 1
  voice->RenderSample(0.0, 0.0, 0.0);
  EXPECT_NEAR(voice->Vco1().PulseWidth(), 0.3 + 0.5 * 0.42, 1e-12);
  voice->SetPwmPolarity(true);
  voice->RenderSample(0.0, 0.0, 0.0);
  EXPECT_NEAR(voice->Vco2().PulseWidth(), 0.3 - 0.5 * 0.42, 1e-12);
  voice->SetPwmSource(Voice::kPwmLfo1);
  voice->SetPwmAmount(1.0);
  voice->SetPwmPolarity(false);
  voice->RenderSample(0.0, 1.0, 0.0);
  EXPECT_EQ(voice->Vco1().PulseWidth(), 0.72);
}

TEST_F(VoiceTest, VoiceEndsInTheSampleWhereEnv2BecomesIdle) {
  voice->Env2().SetRelease(5.0);
  voice->NoteOn(60, 1.0, false);
  double peak = 0.0;
  for (int i = 0; i < 4800; ++i)
    peak = std::max(peak, std::fabs(voice->RenderSample(0.0, 0.0, 0.0)));
  EXPECT_GT(peak, 0.01);
  voice->NoteOff();
  int samples = 0;
  while (voice->IsActive() && samples < 48000) {
    voice->RenderSample(0.0, 0.0, 0.0);
    ++samples;
    EXPECT_EQ(voice->IsActive(), !voice->Env2().IsIdle());
  }
  EXPECT_FALSE(voice->IsActive());
  EXPECT_LT(samples, 48000);
  EXPECT_EQ(voice->RenderSample(0.0, 0.0, 0.0), 0.0);
  // A finished voice keeps its settings and sounds again at the next note.
  voice->NoteOn(64, 1.0, false);
  EXPECT_TRUE(voice->IsActive());
}

TEST_F(VoiceTest, RetriggerContinuesAmplifierGainAndFilterEnvelope) {
  for (Envelope* e : {&voice->Env1Copy(), &voice->Env2()}) {
    e->SetReset(false); // no dump: the new attack starts from the current level
    e->SetAttack(50.0);
    e->SetDecay(50.0);
    e->SetSustain(0.4);
  }
  voice->SetVcfEnvAmount(50.0);
  voice->NoteOn(60, 1.0, false);
  for (int i = 0; i < 24000; ++i)
    voice->RenderSample(0.0, 0.0, 0.0);
  voice->NoteOff();
  for (int i = 0; i < 480; ++i)
    voice->RenderSample(0.0, 0.0, 0.0);
  const double gainBefore = voice->LastAmpGain();
  const double filterBefore = voice->LastFilterEnv();
  ASSERT_GT(gainBefore, 0.05);
  ASSERT_GT(filterBefore, 0.05);
  voice->NoteOn(62, 1.0, false);
  for (int i = 0; i < 2400 && voice->Env2().IsAttack(); ++i) {
    voice->RenderSample(0.0, 0.0, 0.0);
    EXPECT_GE(voice->LastAmpGain(), gainBefore - 1e-12);
    EXPECT_GE(voice->LastFilterEnv(), filterBefore - 1e-12);
  }
}

TEST_F(VoiceTest, CutoffWithoutEnvelopeHasNoFloorAndFollowsTheKey) {
  voice->SetVcfCutoff(2.0);
  voice->Reset();
  voice->NoteOn(60, 1.0, false);
  voice->RenderSample(0.0, 0.0, 0.0);
  EXPECT_EQ(voice->LastCutoffHz(), 2.0);
  voice->SetVcfCutoff(1000.0);
  voice->SetVcfKeyFollow(1.0);
  voice->Reset();
  voice->NoteOn(72, 1.0, false);
  voice->RenderSample(0.0, 0.0, 0.0);
  EXPECT_NEAR(voice->LastCutoffHz(), 2000.0, 1e-9);
  voice->SetVcfLfoAmount(1.0); // one octave per unit of delayed LFO-1
  voice->RenderSample(0.0, -1.0, 0.0);
  EXPECT_NEAR(voice->LastCutoffHz(), 1000.0, 1e-9);
}

TEST_F(VoiceTest, GlideMovesFromThePreviousNote) {
  voice->SetPortamentoTime(100.0);
  EXPECT_NEAR(voice->GlideCoefficient(), 1.0 - std::exp(-std::log(10.0) / 4800.0), 1e-15);
  voice->NoteOn(60, 1.0, false); // never sounded: starts on its note
  voice->RenderSample(0.0, 0.0, 0.0);
  EXPECT_NEAR(Semitones(Vco1Hz(), KeyHz(60)), 0.0, 0.01);
  voice->NoteOn(72, 1.0, false);
  for (int i = 0; i < 4800; ++i) // one portamento time covers 90% of the way
    voice->RenderSample(0.0, 0.0, 0.0);
  EXPECT_NEAR(Semitones(Vco1Hz(), KeyHz(72)), -1.2, 0.01);
}

} // namespace

namespace {

// Renders n samples of a voice set up by `route` with ENV-1's attack at attackMs.
std::vector<double> RenderWithEnv1(void (*route)(Voice&), double attackMs, int n) {
  auto v = std::make_unique<Voice>();
  v->Prepare(kRate);
  v->Reset();
  v->SetVcaLevel(1.0);
  v->SetVcfCutoff(5000.0);
  v->SetVco2Waveform(Vco::kPulse);
  v->SetPwmSource(Voice::kPwmLfo1);
  v->Env1().SetAttack(attackMs);
  route(*v);
  v->NoteOn(57, 1.0, false);
  std::vector<double> out;
  for (int i = 0; i < n; ++i)
    out.push_back(v->RenderSample(0.0, 0.0, 0.0));
  return out;
}

} // namespace

// ENV-1 only advances while nothing reads it: then its times change nothing; each of its three routes
// makes them audible.
TEST(VoiceEnv1, ReachesTheSoundOnlyThroughPitchCrossModAndPulseWidth) {
  using Route = void (*)(Voice&);
  const Route unrouted = [](Voice&) {};
  EXPECT_EQ(RenderWithEnv1(unrouted, 5.0, 2000), RenderWithEnv1(unrouted, 300.0, 2000));
  const Route routes[] = {
      [](Voice& v) { v.SetVcoModEnv1Amount(3.0); },
      [](Voice& v) { v.SetXmodEnv1Amount(0.6); },
      [](Voice& v) {
        v.SetPwmSource(Voice::kPwmEnv1);
        v.SetPwmAmount(0.8);
      },
  };
  for (std::size_t i = 0; i < std::size(routes); ++i)
    EXPECT_NE(RenderWithEnv1(routes[i], 5.0, 2000), RenderWithEnv1(routes[i], 300.0, 2000)) << i;
}

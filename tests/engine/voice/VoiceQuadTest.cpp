// Four voices rendered side by side give bit for bit what the voices give one at a time, in both
// vector forms, through note starts, retriggers, voice ends inside blocks and mixed settings.
#include "engine/voice/TonePart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/filter/CpuFeatures.h"
#include "engine/util/FastMath.h"
#include "engine/util/FastMathLanes.h"

namespace {

struct QuadPatch {
  const char* name;
  std::uint8_t vco1;
  std::uint8_t vco2;
  int sync;
  int vco2Range;
  bool xmodInverted;
  double resonance;
};

// Every waveform on each oscillator, both sync directions, the high range's shelf, both cross-mod
// polarities and a resonance with cutoff jitter.
const QuadPatch kPatches[] = {
    {"saw-pulse", Vco::kSawtooth, Vco::kPulse, Voice::kSyncOff, 3, false, 0.3},
    {"triangle-pulse-sync2", Vco::kTriangle, Vco::kPulse, Voice::kSyncVco2Master, 3, false, 0.85},
    {"square-triangle-sync1", Vco::kSquare, Vco::kTriangle, Voice::kSyncVco1Master, 6, true, 0.95},
    {"noise-saw", Vco::kNoise, Vco::kSawtooth, Voice::kSyncVco1Master, 0, false, 0.6},
    {"pulse-noise-high", Vco::kPulse, Vco::kNoise, Voice::kSyncVco2Master, 6, true, 0.7},
};

void ApplyPatch(TonePart& p, const QuadPatch& q) {
  p.mAssignMode = TonePart::kPoly1;
  p.SetVoiceLimit(32);
  p.SetVco1Waveform(q.vco1);
  p.SetVco2Waveform(q.vco2);
  p.SetSyncMode(q.sync);
  p.SetVco2Range(q.vco2Range);
  p.SetXmodPolarity(q.xmodInverted);
  p.SetXmodManual(0.5);
  p.SetXmodEnv1Amount(0.3);
  p.SetVcoMix(0.4);
  p.SetVcoModLfoAmount(0.3);
  p.SetVcoModEnv1Amount(5.0);
  p.SetPwmAmount(0.9);
  p.SetPulseWidth(40.0);
  p.SetVcfCutoff(900.0);
  p.SetVcfResonance(q.resonance);
  p.SetVcfEnvAmount(50.0);
  p.SetVcfLfoAmount(0.7);
  p.SetVcfKeyFollow(0.8);
  p.SetVcaLevel(0.7);
  p.SetVcaLfoAmount(0.4);
  p.SetLfo1Rate(5.0);
  p.SetPortamentoTime(30.0);
  p.SetPitchBend(-0.2);
  for (int i = 0; i < TonePart::kVoiceCount; ++i) // short releases: voices end inside blocks
    p.GetVoice(i).Env2().SetRelease(2.0 + i % 5);
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (a == 0.0 && b == 0.0);
}

// Plays the same score on a part rendered in quads and on one rendered voice by voice; returns the
// first sample where they differ, or an empty string.
std::string FirstDifference(const QuadPatch& q, double rate, bool avx2, bool mixedVoices) {
  auto quads = std::make_unique<TonePart>();
  auto alone = std::make_unique<TonePart>();
  alone->SetQuadRendering(false);
  quads->Quad().SetVectorForm(avx2);
  std::vector<double> noise(TonePart::kMaxChunk * 3);
  for (std::size_t i = 0; i < noise.size(); ++i)
    noise[i] = std::sin(0.37 * static_cast<double>(i) * static_cast<double>(i));
  for (TonePart* p : {quads.get(), alone.get()}) {
    p->Prepare(rate);
    ApplyPatch(*p, q);
    if (mixedVoices) // a voice the others cannot share a quad with
      p->GetVoice(5).SetVco2Waveform(q.vco2 == Vco::kSawtooth ? Vco::kSquare : Vco::kSawtooth);
  }
  std::vector<double> a(noise.size()), b(noise.size());
  for (int block = 0; block < 160; ++block) {
    for (TonePart* p : {quads.get(), alone.get()}) {
      if (block % 40 == 0)
        for (int k = 0; k < 11; ++k) // eleven notes: two quads and three voices alone
          p->NoteOn(36 + 5 * k + block / 40, 0.4 + 0.05 * k);
      if (block % 40 == 12)
        p->NoteOn(36 + 5 * 3 + block / 40, 0.9); // retrigger of a sounding voice
      if (block % 40 == 20)
        for (int k = 0; k < 11; k += 2)
          p->NoteOff(36 + 5 * k + block / 40);
      if (block % 40 == 30)
        p->AllNotesOff();
    }
    const int n = 37 + block % 3 * 70; // blocks that are not a multiple of the chunk
    quads->RenderBlock(noise.data(), a.data(), n);
    alone->RenderBlock(noise.data(), b.data(), n);
    for (int i = 0; i < n; ++i)
      if (!SameBits(a[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i)]))
        return "block " + std::to_string(block) + " sample " + std::to_string(i) + ": " +
               std::to_string(a[static_cast<std::size_t>(i)]) + " vs " + std::to_string(b[static_cast<std::size_t>(i)]);
  }
  for (int i = 0; i < TonePart::kVoiceCount; ++i)
    if (quads->GetVoice(i).IsActive() != alone->GetVoice(i).IsActive())
      return "voice " + std::to_string(i) + " activity";
  return "";
}

} // namespace

TEST(VoiceQuad, QuadsRenderWhatTheVoicesRenderAlone) {
  std::vector<bool> forms = {false};
  if (HasAvx2())
    forms.push_back(true);
  for (const QuadPatch& q : kPatches)
    for (double rate : {48000.0, 192000.0})
      for (bool avx2 : forms)
        EXPECT_EQ(FirstDifference(q, rate, avx2, false), "")
            << q.name << " at " << rate << (avx2 ? " (AVX2)" : " (baseline)");
}

TEST(VoiceQuad, AVoiceWithOtherSettingsRendersAloneInOrder) {
  EXPECT_EQ(FirstDifference(kPatches[1], 96000.0, HasAvx2(), true), "");
}

TEST(VoiceQuad, LaneFormsOfTheFastFunctionsMatchTheScalarForms) {
  const double xs[] = {-1000.0, -1500.0, -37.3, -1.0 / 128.0, -0.0, 0.0, 1e-300, 0.49, 1.0, 3.999,
                       17.25, 999.9, 1000.0, 2000.0, std::nan("")};
  for (double x : xs) {
    const Lanes4 y = FastExp2Lanes(Lanes4{0.5, -x, x, 3.0});
    EXPECT_TRUE(SameBits(y[2], FastExp2(x))) << x;
    EXPECT_TRUE(SameBits(y[1], FastExp2(-x))) << x;
  }
  for (double x : {1.0, 1.0 + 1e-15, 1.4142135623730951, 1.4142135623730949, 500.0, 14000.0, 1e-300, 3e300}) {
    const Lanes4 y = FastLog2Lanes(Lanes4{2.0, x, 1.0 / x, 7.0});
    EXPECT_TRUE(SameBits(y[1], FastLog2(x))) << x;
    EXPECT_TRUE(SameBits(y[2], FastLog2(1.0 / x))) << x;
  }
}

// Oversampled part rendering: every assign mode at every factor stays finite, and the level does not depend
// on the factor.
#include "engine/render/PartRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

class PartRendererTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { renderer = new PartRenderer(); }
  static void TearDownTestSuite() {
    delete renderer;
    renderer = nullptr;
  }

  // A demanding patch: cross-mod, sync, resonance near self-oscillation, LFOs everywhere, noise on Lower.
  static void ApplyBusyPatch(TonePart& p, bool noise) {
    p.SetVoiceLimit(8);
    p.SetUnisonDetune(0.7);
    p.SetVco1Waveform(Vco::kPulse);
    p.SetVco2Waveform(noise ? Vco::kNoise : Vco::kSawtooth);
    p.SetVco2Range(6);
    p.SetSyncMode(Voice::kSyncVco1Master);
    p.SetXmodManual(0.6);
    p.SetXmodEnv1Amount(0.4);
    p.SetVcoModLfoAmount(0.5);
    p.SetVcoModEnv1Amount(7.0);
    p.SetPwmAmount(0.8);
    p.SetPulseWidth(30.0);
    p.SetVcfCutoff(800.0);
    p.SetVcfResonance(0.95);
    p.SetVcfEnvAmount(60.0);
    p.SetVcfLfoAmount(1.0);
    p.SetVcfKeyFollow(1.0);
    p.SetVcaLevel(0.8);
    p.SetVcaLfoAmount(0.5);
    p.SetLfo1Rate(6.0);
    p.SetLfo1Delay(100.0);
    p.SetPortamentoTime(50.0);
    p.SetLfo2Mode(Voice::kAftertouchCutoff);
    p.SetAftertouch(0.5);
    p.SetAftertouchSensitivity(1.0);
    p.SetPitchBend(0.3);
  }

  static PartRenderer* renderer;
};

PartRenderer* PartRendererTest::renderer = nullptr;

TEST_F(PartRendererTest, EveryAssignModeAtEveryFactorStaysFinite) {
  const std::uint8_t modes[] = {TonePart::kSolo, TonePart::kUnison1, TonePart::kUnison2, TonePart::kPoly1,
                                TonePart::kPoly2};
  constexpr int kBlock = 64;
  std::vector<double> left(kBlock), right(kBlock);
  for (int factor : {1, 2, 4}) {
    for (std::uint8_t mode : modes) {
      renderer->Prepare(48000.0, factor);
      ApplyBusyPatch(renderer->Upper(), false);
      ApplyBusyPatch(renderer->Lower(), true);
      renderer->Upper().mAssignMode = mode;
      renderer->Lower().mAssignMode = mode;
      double peak = 0.0;
      bool finite = true;
      // Half a second: chords, legato runs and releases, with notes changing every 40 ms.
      for (int block = 0; block < 375; ++block) {
        if (block % 30 == 0) {
          const int root = 36 + (block / 30) * 5 % 36;
          for (int k : {0, 4, 7, 11})
            for (TonePart* p : {&renderer->Upper(), &renderer->Lower()})
              p->NoteOn(root + k, 0.3 + 0.05 * k);
        }
        if (block % 30 == 20)
          for (TonePart* p : {&renderer->Upper(), &renderer->Lower()})
            p->AllNotesOff();
        renderer->Render(left, right);
        for (int i = 0; i < kBlock; ++i) {
          finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
          peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
      }
      EXPECT_TRUE(finite) << "factor " << factor << " mode " << int(mode);
      EXPECT_GT(peak, 0.001) << "factor " << factor << " mode " << int(mode);
      EXPECT_LT(peak, 20.0) << "factor " << factor << " mode " << int(mode);
    }
  }
}

TEST_F(PartRendererTest, BlockRenderMatchesTheSampleBySampleReference) {
  // Two fresh renderers: voices remember their last note for the glide, so both start unplayed.
  auto block = std::make_unique<PartRenderer>();
  auto reference = std::make_unique<PartRenderer>();
  std::vector<double> left(100), right(100), refLeft(100), refRight(100);
  for (int factor : {1, 4}) {
    for (PartRenderer* r : {block.get(), reference.get()}) {
      r->Prepare(48000.0, factor);
      ApplyBusyPatch(r->Upper(), false);
      ApplyBusyPatch(r->Lower(), true);
      r->Upper().mAssignMode = TonePart::kUnison2;
      r->Lower().mAssignMode = TonePart::kPoly1;
      for (int i = 0; i < TonePart::kVoiceCount; ++i) // short releases: voices end inside blocks
        r->Upper().GetVoice(i).Env2().SetRelease(3.0);
    }
    bool same = true;
    for (int n = 0; n < 120 && same; ++n) {
      for (PartRenderer* r : {block.get(), reference.get()}) {
        if (n % 20 == 0)
          for (int k : {0, 3, 7}) {
            r->Upper().NoteOn(48 + n / 4 + k, 0.8);
            r->Lower().NoteOn(55 + k, 0.6);
          }
        if (n % 20 == 10) {
          r->Upper().AllNotesOff();
          r->Lower().NoteOff(58);
        }
      }
      block->Render(left, right);
      reference->RenderPerSample(refLeft, refRight);
      for (int i = 0; i < 100 && same; ++i) {
        same = left[i] == refLeft[i] && right[i] == refRight[i];
        EXPECT_TRUE(same) << "factor " << factor << " block " << n << " frame " << i;
      }
    }
  }
}

TEST_F(PartRendererTest, LevelOfASteadyNoteDoesNotDependOnTheFactor) {
  double rms[3] = {};
  int slot = 0;
  std::vector<double> left(4800), right(4800);
  for (int factor : {1, 2, 4}) {
    renderer->Prepare(48000.0, factor);
    for (TonePart* p : {&renderer->Upper(), &renderer->Lower()}) {
      p->mAssignMode = TonePart::kPoly1;
      p->SetVoiceLimit(8);
      p->SetVco1Waveform(Vco::kSawtooth);
      p->SetVco2Waveform(Vco::kSawtooth);
      p->SetVco2Range(3);
      p->SetSyncMode(Voice::kSyncOff);
      p->SetXmodManual(0.0);
      p->SetXmodEnv1Amount(0.0);
      p->SetVcoModEnv1Amount(0.0);
      p->SetVcfEnvAmount(0.0);
      p->SetVcfResonance(0.0);
      p->SetVcfCutoff(2000.0);
      p->SetVcaLevel(1.0);
      p->SetVcaLfoAmount(0.0);
      p->SetVcoModLfoAmount(0.0);
      p->SetVcfLfoAmount(0.0);
      p->SetLfo2Mode(Voice::kAftertouchPitch);
      p->SetAftertouch(0.0);
      p->SetPitchBend(0.0);
      p->SetPortamentoTime(0.0);
      p->NoteOn(57, 1.0);
    }
    renderer->Render(left, right); // settle
    renderer->Render(left, right);
    double sum = 0.0;
    for (double x : left)
      sum += x * x;
    rms[slot++] = std::sqrt(sum / left.size());
  }
  ASSERT_GT(rms[0], 0.01);
  EXPECT_NEAR(20.0 * std::log10(rms[1] / rms[0]), 0.0, 0.25);
  EXPECT_NEAR(20.0 * std::log10(rms[2] / rms[0]), 0.0, 0.25);
}

} // namespace

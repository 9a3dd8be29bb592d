// Tone part: voice allocation per assign mode and voice limit, stacking and thinning, mono key stack, hold
// and pedal.
#include "engine/voice/TonePart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <set>
#include <vector>

namespace {

class TonePartTest : public ::testing::Test {
protected:
  // One part for the whole suite: it is large, and Prepare brings it back to silence.
  static void SetUpTestSuite() { part = new TonePart(); }
  static void TearDownTestSuite() {
    delete part;
    part = nullptr;
  }
  void SetUp() override {
    part->mAssignMode = TonePart::kPoly1;
    part->SetHoldMode(TonePart::kHoldMidi);
    part->SetVoiceLimit(8);
    part->SetUnisonDetune(0.0);
    part->SetVcaLevel(1.0);
    part->SetVcfCutoff(3000.0);
    part->Prepare(48000.0);
  }

  // Voices that hold the key (down or latched).
  static std::vector<int> HeldVoices(int key) {
    std::vector<int> v;
    for (int i = 0; i < TonePart::kVoiceCount; ++i)
      if (part->VoiceHeld(i) && part->VoiceKey(i) == key)
        v.push_back(i);
    return v;
  }
  static int HeldCount() {
    int n = 0;
    for (int i = 0; i < TonePart::kVoiceCount; ++i)
      n += part->VoiceHeld(i) ? 1 : 0;
    return n;
  }
  static void Render(int samples) {
    for (int i = 0; i < samples; ++i)
      part->RenderSample(0.0);
  }

  static TonePart* part;
};

TonePart* TonePartTest::part = nullptr;

TEST_F(TonePartTest, Poly1StealsTheOldestKeyOrFirstAReleasedVoice) {
  for (int k = 0; k < 8; ++k)
    part->NoteOn(60 + k, 1.0);
  for (int k = 0; k < 8; ++k)
    EXPECT_EQ(part->VoiceKey(k), 60 + k);
  part->NoteOn(70, 1.0); // ninth key: the voice of the first key pressed
  EXPECT_EQ(HeldVoices(70), std::vector<int>{0});
  Render(100);
  part->NoteOff(65); // voice 5 releases but still sounds
  Render(10);
  EXPECT_TRUE(part->GetVoice(5).IsActive());
  part->NoteOn(71, 1.0);
  EXPECT_EQ(HeldVoices(71), std::vector<int>{5});
  // The limit also bounds the search: voices above it stay unused.
  for (int i = 8; i < TonePart::kVoiceCount; ++i)
    EXPECT_FALSE(part->GetVoice(i).IsActive());
}

TEST_F(TonePartTest, Poly1RetriggersTheVoiceThatPlaysTheKeyEvenInRelease) {
  part->NoteOn(62, 1.0);
  part->NoteOn(60, 1.0);
  part->NoteOn(60, 0.5);
  EXPECT_EQ(HeldVoices(60), std::vector<int>{1});
  Render(100);
  part->NoteOff(60);
  Render(10);
  ASSERT_TRUE(part->GetVoice(1).IsActive());
  part->NoteOn(60, 1.0); // voice 2 is free, but voice 1 still plays the key
  EXPECT_EQ(HeldVoices(60), std::vector<int>{1});
  EXPECT_EQ(HeldCount(), 2);
}

TEST_F(TonePartTest, Unison2StacksEightThenFourPlusFourThenTwoEach) {
  part->mAssignMode = TonePart::kUnison2;
  part->NoteOn(60, 1.0);
  EXPECT_EQ(HeldVoices(60).size(), 8u);
  part->NoteOn(64, 1.0);
  // The four oldest voices of the first key were released and taken by the second key.
  EXPECT_EQ(HeldVoices(60), (std::vector<int>{4, 5, 6, 7}));
  EXPECT_EQ(HeldVoices(64), (std::vector<int>{0, 1, 2, 3}));
  part->NoteOn(67, 1.0);
  EXPECT_EQ(HeldVoices(60), (std::vector<int>{6, 7}));
  EXPECT_EQ(HeldVoices(64), (std::vector<int>{2, 3}));
  EXPECT_EQ(HeldVoices(67).size(), 2u);
  EXPECT_EQ(HeldCount(), 6);
}

TEST_F(TonePartTest, Poly2GivesFourVoicesPerKeyUntilTheLimitThinsEveryKeyToOne) {
  part->mAssignMode = TonePart::kPoly2;
  part->NoteOn(60, 1.0);
  part->NoteOn(64, 1.0);
  EXPECT_EQ(HeldVoices(60).size(), 4u);
  EXPECT_EQ(HeldVoices(64).size(), 4u);
  part->NoteOn(67, 1.0); // 3 keys x 4 > 8
  EXPECT_EQ(HeldVoices(60).size(), 1u);
  EXPECT_EQ(HeldVoices(64).size(), 1u);
  EXPECT_EQ(HeldVoices(67).size(), 1u);
  // The newest voice of each key survives the thinning.
  EXPECT_EQ(HeldVoices(60), std::vector<int>{3});
  EXPECT_EQ(HeldVoices(64), std::vector<int>{7});
}

TEST_F(TonePartTest, StackSizesFollowTheVoiceLimitAndKeyCount) {
  struct Case {
    std::uint8_t mode;
    int limit;
    std::vector<std::size_t> perKeyAfterEachNote; // voices held by the newest key
    int heldAtEnd;
  } cases[] = {
      {TonePart::kUnison2, 32, {24, 16, 8, 8, 4}, 20}, // 24 at most on one key
      {TonePart::kUnison2, 4, {4, 2, 1, 1, 1}, 4},
      {TonePart::kUnison2, 1, {1, 1, 1}, 1},
      {TonePart::kPoly2, 3, {1, 1, 1, 1}, 3},
      {TonePart::kPoly2, 16, {4, 4, 4, 4, 1}, 5},
      {TonePart::kPoly1, 2, {1, 1, 1}, 2},
  };
  for (const Case& c : cases) {
    SetUp();
    part->mAssignMode = c.mode;
    part->SetVoiceLimit(c.limit);
    for (std::size_t k = 0; k < c.perKeyAfterEachNote.size(); ++k) {
      part->NoteOn(60 + static_cast<int>(k), 1.0);
      EXPECT_EQ(HeldVoices(60 + static_cast<int>(k)).size(), c.perKeyAfterEachNote[k])
          << "mode " << int(c.mode) << " limit " << c.limit << " key " << k;
    }
    EXPECT_EQ(HeldCount(), c.heldAtEnd) << "mode " << int(c.mode) << " limit " << c.limit;
  }
}

TEST_F(TonePartTest, StackedVoicesSpreadTheirDetuneAndUnisonDrifts) {
  part->SetUnisonDetune(1.0);
  part->mAssignMode = TonePart::kUnison2;
  part->NoteOn(60, 1.0);
  const double expected[] = {-1.0, -0.78, -0.55, -0.32, 0.32, 0.55, 0.78, 1.0};
  for (int i = 0; i < 8; ++i) {
    EXPECT_NEAR(part->GetVoice(i).StackDetune(), expected[i] * 53.0, 1e-12);
    EXPECT_EQ(part->GetVoice(i).DriftAmount(), 3.0);
  }
  part->AllNotesOff();
  Render(48000);
  part->mAssignMode = TonePart::kPoly2;
  part->NoteOn(62, 1.0);
  std::multiset<double> detunes;
  for (int i : HeldVoices(62)) {
    detunes.insert(part->GetVoice(i).StackDetune());
    EXPECT_EQ(part->GetVoice(i).DriftAmount(), 0.0);
  }
  EXPECT_EQ(detunes, (std::multiset<double>{-12.0, -0.55 * 12.0, 0.55 * 12.0, 12.0}));
  // "Poly-1" puts a stolen voice back in tune.
  part->mAssignMode = TonePart::kPoly1;
  part->AllNotesOff();
  part->NoteOn(70, 1.0);
  const std::vector<int> v = HeldVoices(70);
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(part->GetVoice(v[0]).StackDetune(), 0.0);
}

TEST_F(TonePartTest, Unison1StacksUpToTwentyFourVoicesAndMovesThemLegato) {
  part->mAssignMode = TonePart::kUnison1;
  part->SetVoiceLimit(32);
  part->NoteOn(60, 1.0);
  EXPECT_EQ(HeldVoices(60).size(), 24u);
  part->NoteOn(64, 1.0);
  EXPECT_EQ(HeldVoices(64).size(), 24u);
  EXPECT_TRUE(HeldVoices(60).empty());
  part->NoteOff(64); // back to the key still down
  EXPECT_EQ(HeldVoices(60).size(), 24u);
  EXPECT_EQ(part->SoundingKey(), 60);
  part->NoteOff(60);
  EXPECT_EQ(HeldCount(), 0);
  EXPECT_EQ(part->SoundingKey(), -1);
}

TEST_F(TonePartTest, SoloFallsBackToTheLowestKeyStillDown) {
  part->mAssignMode = TonePart::kSolo;
  part->NoteOn(60, 1.0);
  part->NoteOn(64, 1.0);
  part->NoteOn(62, 1.0);
  EXPECT_EQ(part->VoiceKey(0), 62);
  part->NoteOff(64); // not the sounding key: nothing changes
  EXPECT_EQ(part->VoiceKey(0), 62);
  part->NoteOn(64, 1.0);
  part->NoteOff(64);
  EXPECT_EQ(part->VoiceKey(0), 60);
  EXPECT_EQ(HeldCount(), 1);
  part->NoteOff(62);
  part->NoteOff(60);
  EXPECT_EQ(HeldCount(), 0);
}

TEST_F(TonePartTest, TheKeyStackHoldsAtMost128KeysButTheExtraKeyStillSounds) {
  part->mAssignMode = TonePart::kSolo;
  for (int k = 0; k < 128; ++k)
    part->NoteOn(k, 1.0);
  EXPECT_EQ(part->StackedKeyCount(), 128);
  part->NoteOn(200, 1.0); // a 129th distinct key (the part does not check the key range)
  EXPECT_EQ(part->StackedKeyCount(), 128);
  EXPECT_EQ(part->VoiceKey(0), 200);
  part->NoteOff(200);
  EXPECT_EQ(part->VoiceKey(0), 0);
}

TEST_F(TonePartTest, HoldModeOnIgnoresNoteOffsUntilLeft) {
  part->SetHoldMode(TonePart::kHoldOn);
  part->NoteOn(60, 1.0);
  part->NoteOn(64, 1.0);
  part->NoteOff(60);
  part->NoteOff(64);
  EXPECT_EQ(HeldCount(), 2);
  part->SetHoldMode(TonePart::kHoldMidi);
  EXPECT_EQ(HeldCount(), 0);
  EXPECT_TRUE(part->GetVoice(0).Env2().IsRelease());
}

TEST_F(TonePartTest, PedalSustainsReleasedKeysUntilItGoesUp) {
  part->SetHoldPedal(true);
  part->NoteOn(60, 1.0);
  part->NoteOff(60);
  EXPECT_TRUE(part->VoiceSustained(0));
  EXPECT_FALSE(part->VoiceHeld(0));
  Render(100);
  EXPECT_FALSE(part->GetVoice(0).Env2().IsRelease());
  part->SetHoldPedal(false);
  EXPECT_FALSE(part->VoiceSustained(0));
  EXPECT_TRUE(part->GetVoice(0).Env2().IsRelease());
  // With hold mode "Off" the pedal is ignored.
  part->SetHoldMode(TonePart::kHoldOff);
  part->SetHoldPedal(true);
  part->NoteOn(62, 1.0);
  part->NoteOff(62);
  EXPECT_TRUE(HeldVoices(62).empty());
  EXPECT_FALSE(part->VoiceSustained(1));
}

TEST_F(TonePartTest, AFinishedVoiceFreesItsKey) {
  for (int i = 0; i < TonePart::kVoiceCount; ++i)
    part->GetVoice(i).Env2().SetRelease(1.0);
  part->NoteOn(60, 1.0);
  Render(100);
  part->NoteOff(60);
  Render(4800);
  EXPECT_FALSE(part->GetVoice(0).IsActive());
  EXPECT_EQ(part->VoiceKey(0), -1);
  for (int i = 0; i < TonePart::kVoiceCount; ++i)
    part->GetVoice(i).Env2().SetRelease(300.0);
}

TEST_F(TonePartTest, SecondPartScattersPhasesDetunesAndSeedsDriftPastTheFirst) {
  auto lower = std::make_unique<TonePart>();
  lower->mSecondPart = 1;
  lower->Prepare(48000.0);
  lower->SetVoiceLimit(32);
  part->SetVoiceLimit(32);
  for (int i = 0; i < TonePart::kVoiceCount; ++i) {
    lower->NoteOn(40 + i, 1.0);
    part->NoteOn(40 + i, 1.0);
  }
  for (int i = 0; i < TonePart::kVoiceCount; ++i) {
    const double j = i + 1;
    const double phase = j * 0.6180339887498949 - std::floor(j * 0.6180339887498949);
    EXPECT_EQ(lower->GetVoice(i).Vco1().Phase(), phase);
    EXPECT_EQ(lower->GetVoice(i).Vco2().Phase(), phase);
    const double f = j * 0.7548776662466927 + 0.123;
    const double cents = (2.0 * (f - std::floor(f)) - 1.0) * 1.5;
    EXPECT_NEAR(1200.0 * std::log2(lower->GetVoice(i).Base1Hz() / part->GetVoice(i).Base1Hz()), cents, 1e-9);
  }
}

TEST_F(TonePartTest, SettersReachEveryVoiceAndPulseWidthUsesItsKnobCurve) {
  part->SetVco2Waveform(Vco::kNoise);
  EXPECT_TRUE(part->NoiseInUse());
  part->SetVco2Waveform(Vco::kSquare);
  EXPECT_FALSE(part->NoiseInUse());
  part->SetVco2Range(5);
  part->SetPulseWidth(0.0);
  part->NoteOn(60, 1.0);
  part->RenderSample(0.0);
  EXPECT_NEAR(part->GetVoice(0).Vco1().PulseWidth(), 0.0, 1e-15); // knob 0: c = 100 -> width 0
  part->SetPulseWidth(50.0);
  part->RenderSample(0.0);
  EXPECT_EQ(part->GetVoice(0).Vco1().PulseWidth(), 0.5);
  part->SetPulseWidth(2.5); // c = 95: the end of the linear part
  part->RenderSample(0.0);
  EXPECT_NEAR(part->GetVoice(0).Vco1().PulseWidth(), 0.014, 1e-12);
  EXPECT_NEAR(part->GetVoice(31).Base2Hz() / part->GetVoice(31).Base1Hz(), 4.0, 1e-12);
}

TEST_F(TonePartTest, PreparesAtFortyEightKilohertzWithoutARateAndStaysStableAtLowRates) {
  part->Prepare(0.0);
  EXPECT_EQ(part->SampleRate(), 48000.0);
  // At 22.05 kHz the 14.7 kHz shelf would lie above Nyquist; its design is held below it.
  part->Prepare(22050.0);
  part->NoteOn(60, 1.0);
  part->NoteOn(96, 1.0);
  double peak = 0.0;
  for (int i = 0; i < 22050; ++i)
    peak = std::max(peak, std::fabs(part->RenderSample(0.0)));
  EXPECT_TRUE(std::isfinite(peak));
  EXPECT_LT(peak, 10.0);
  EXPECT_GT(peak, 0.01);
}

TEST_F(TonePartTest, SyncedLfosRestartAtTheFirstNoteOnly) {
  part->SetLfo1Sync(true);
  Render(1000);
  EXPECT_GT(part->Lfo1().Phase(), 0.0);
  part->NoteOn(60, 1.0);
  EXPECT_EQ(part->Lfo1().Phase(), 0.0);
  Render(1000);
  part->NoteOn(64, 1.0);
  EXPECT_GT(part->Lfo1().Phase(), 0.0);
  EXPECT_NEAR(part->Lfo1().RateHz(), 2.0, 1e-12); // "1/4" at 120 BPM
  part->SetTempo(90.0);
  EXPECT_NEAR(part->Lfo1().RateHz(), 1.5, 1e-12);
  part->SetLfo1Sync(false);
  EXPECT_NEAR(part->Lfo1().RateHz(), 5.0, 1e-12);
}

} // namespace

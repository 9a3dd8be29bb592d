// Effect rack: type switching, pass-through, bypass, parameters, tempo and the active arpeggiator.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "engine/fx/FxRack.h"

using vlm::dsp::Arpeggiator;
using vlm::dsp::EffectType;
using vlm::dsp::FxRack;

namespace {

constexpr int kArp = 12;

// One rack for the whole suite: it is tens of megabytes, so it lives on the heap and is reused.
class FxRackTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { sRack = std::make_unique<FxRack>(); }
  static void TearDownTestSuite() { sRack.reset(); }
  void SetUp() override {
    for (int s = 0; s < FxRack::kSlotCount; ++s) {
      rack().SetType(s, 0);
      rack().SetBypass(s, false);
    }
    rack().Prepare(48000.0);
    rack().ResetAll();
  }
  static FxRack& rack() { return *sRack; }
  static Arpeggiator& ArpOf(int slot) { return rack().Slot(slot).GetArpeggiator(); }

  static std::unique_ptr<FxRack> sRack;
};
std::unique_ptr<FxRack> FxRackTest::sRack;

TEST_F(FxRackTest, SlotIsLargeAndHoldsOneInstancePerType) {
  static_assert(sizeof(vlm::dsp::FxSlot) > 8u * 1024u * 1024u);
  auto& slot = rack().Slot(0);
  for (int t = 1; t <= 12; ++t) {
    ASSERT_NE(slot.EffectForType(t), nullptr) << t;
    for (int u = 1; u < t; ++u)
      EXPECT_NE(slot.EffectForType(t), slot.EffectForType(u));
  }
  for (int t : {-1, 0, 13, 14, 15, 255, 256})
    EXPECT_EQ(slot.EffectForType(t), nullptr) << t;
  EXPECT_EQ(slot.EffectForType(kArp), &slot.GetArpeggiator());
}

TEST_F(FxRackTest, SetTypeChoosesTheSlotsInstanceAndReservedTypesMeanNoEffect) {
  rack().SetType(2, 4);
  EXPECT_EQ(rack().Slot(2).Type(), EffectType::Delay);
  EXPECT_EQ(rack().Slot(2).Active(), rack().Slot(2).EffectForType(4));

  for (int t : {13, 15, 0}) {
    rack().SetType(2, t);
    EXPECT_EQ(static_cast<int>(rack().Slot(2).Type()), t);
    EXPECT_EQ(rack().Slot(2).Active(), nullptr) << t;
  }
  rack().SetType(2, 300);
  EXPECT_EQ(rack().Slot(2).Type(), EffectType::Off);

  // Slots outside 0..4 are ignored.
  rack().SetType(-1, 4);
  rack().SetType(5, 4);
  for (int s = 0; s < FxRack::kSlotCount; ++s)
    EXPECT_EQ(rack().Slot(s).Active(), nullptr);
}

TEST_F(FxRackTest, EmptyAndReservedSlotsPassAudioUnchanged) {
  rack().SetType(1, 13);
  rack().SetType(3, 14);
  const double inputs[][2] = {{0.25, -0.75}, {1e-300, -1e300}, {0.0, -0.0}};
  for (const auto& in : inputs) {
    double l = in[0], r = in[1];
    rack().Process(l, r);
    EXPECT_EQ(l, in[0]);
    EXPECT_EQ(r, in[1]);
  }
}

TEST_F(FxRackTest, BypassOnResetsTheEffectAndBypassOffDoesNot) {
  rack().SetType(1, kArp);
  auto& arp = ArpOf(1);
  arp.NoteOn(60, 1.0, 0);
  const auto gen = arp.Generation();

  rack().SetBypass(1, true);
  EXPECT_TRUE(rack().IsBypassed(1));
  EXPECT_EQ(arp.Generation(), gen + 1);
  EXPECT_EQ(arp.NoteCount(), 0);

  rack().SetBypass(1, true); // already bypassed: no second reset
  EXPECT_EQ(arp.Generation(), gen + 1);

  arp.NoteOn(62, 1.0, 0);
  rack().SetBypass(1, false);
  EXPECT_FALSE(rack().IsBypassed(1));
  EXPECT_EQ(arp.Generation(), gen + 1);
  EXPECT_EQ(arp.NoteCount(), 1);

  rack().SetBypass(7, true);
  EXPECT_FALSE(rack().IsBypassed(7));
}

TEST_F(FxRackTest, ParametersReachOnlyTheActiveEffectAndOnlyIndices0To7) {
  rack().SetType(0, kArp);
  rack().SetParameter(0, 0, 1.0);
  EXPECT_EQ(ArpOf(0).GetMode(), Arpeggiator::kChord);
  rack().SetParameter(0, 8, 0.0);
  rack().SetParameter(0, -1, 0.0);
  rack().SetParameter(5, 0, 0.0);
  EXPECT_EQ(ArpOf(0).GetMode(), Arpeggiator::kChord);

  const std::array<double, 8> values = {0.2, 1.0, 0.5, 0.0, 1.0, 0.0, 1.0, 1.0};
  rack().SetSlotParameters(0, values);
  EXPECT_EQ(ArpOf(0).GetMode(), 1);
  EXPECT_EQ(ArpOf(0).GetOctaves(), 4);
  EXPECT_EQ(ArpOf(0).GetDivision(), 6);
  EXPECT_DOUBLE_EQ(ArpOf(0).GetGate(), 0.05);
  EXPECT_DOUBLE_EQ(ArpOf(0).GetSwing(), 0.75);

  // An inactive instance of the same slot hears nothing.
  rack().SetType(1, 4);
  rack().SetParameter(1, 0, 1.0);
  rack().SetSlotParameters(1, values);
  EXPECT_EQ(ArpOf(1).GetMode(), 0);
}

TEST_F(FxRackTest, TwoSlotsOfOneTypeAreIndependent) {
  rack().SetType(0, kArp);
  rack().SetType(1, kArp);
  EXPECT_NE(rack().Slot(0).Active(), rack().Slot(1).Active());
  rack().SetParameter(0, 0, 1.0);
  ArpOf(0).NoteOn(60, 1.0, 0);
  EXPECT_EQ(ArpOf(1).GetMode(), 0);
  EXPECT_EQ(ArpOf(1).NoteCount(), 0);
}

TEST_F(FxRackTest, TempoReachesTheActiveEffectOfEverySlotBypassedOrNot) {
  rack().SetType(0, kArp);
  rack().SetType(4, kArp);
  rack().SetBypass(4, true);
  rack().SetTempo(133.0);
  EXPECT_EQ(ArpOf(0).GetTempo(), 133.0);
  EXPECT_EQ(ArpOf(4).GetTempo(), 133.0);
  EXPECT_EQ(ArpOf(2).GetTempo(), 120.0) << "an inactive instance keeps its tempo";
}

TEST_F(FxRackTest, FindActiveArpeggiatorSkipsBypassedSlots) {
  EXPECT_EQ(rack().FindActiveArpeggiator(), nullptr);
  rack().SetType(1, kArp);
  rack().SetBypass(1, true);
  rack().SetType(3, kArp);
  EXPECT_EQ(rack().FindActiveArpeggiator(), &ArpOf(3));
  rack().SetBypass(1, false);
  EXPECT_EQ(rack().FindActiveArpeggiator(), &ArpOf(1));
  rack().SetType(1, 13);
  rack().SetType(3, 6);
  EXPECT_EQ(rack().FindActiveArpeggiator(), nullptr);
}

TEST_F(FxRackTest, PrepareKeepsTheTypesAndResetsTouchTheRightInstances) {
  rack().SetType(0, kArp);
  rack().SetType(2, 10);
  for (double rate : {0.0, 44100.0, 96000.0, 192000.0}) {
    rack().Prepare(rate);
    EXPECT_EQ(rack().Slot(0).Active(), &ArpOf(0));
    EXPECT_EQ(rack().Slot(2).Active(), rack().Slot(2).EffectForType(10));
  }

  const auto g0 = ArpOf(0).Generation();
  const auto g1 = ArpOf(1).Generation();
  rack().ResetActive();
  EXPECT_EQ(ArpOf(0).Generation(), g0 + 1);
  EXPECT_EQ(ArpOf(1).Generation(), g1) << "type Off: its arpeggiator is not active";
  rack().ResetAll();
  EXPECT_EQ(ArpOf(0).Generation(), g0 + 2);
  EXPECT_EQ(ArpOf(1).Generation(), g1 + 1);
  rack().Slot(0).ResetActive();
  EXPECT_EQ(ArpOf(0).Generation(), g0 + 3);
}

TEST_F(FxRackTest, EveryEffectTypeRunsInEverySlotAndStaysFinite) {
  for (int t = 1; t <= 12; ++t) {
    for (int s = 0; s < FxRack::kSlotCount; ++s)
      rack().SetType(s, t);
    rack().Prepare(44100.0);
    rack().ResetAll();
    for (int s = 0; s < FxRack::kSlotCount; ++s)
      rack().SetSlotParameters(s, std::array<double, 8>{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
    double l = 0.0, r = 0.0;
    for (int i = 0; i < 4096; ++i) {
      l = i % 64 == 0 ? 0.5 : 0.0;
      r = -l;
      rack().Process(l, r);
      ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << "type " << t << " sample " << i;
    }
  }
}

} // namespace

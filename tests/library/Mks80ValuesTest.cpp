// MKS-80 value rules and parameter tables: every byte an encoder makes decodes back to itself, fixed bytes
// at the ends, and the tables' coverage of the tone parameters.
#include "library/Mks80ParamMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "common/EParams.h"

namespace {

using vlm::MksValueRule;

TEST(Mks80Values, EveryByteAnEncoderMakesDecodesBackToItself) {
  const struct {
    MksValueRule rule;
    std::vector<int> bytes;
  } cases[] = {
      {MksValueRule::FourStepInverted, {0, 1, 2, 3}},
      {MksValueRule::ThreeStepInverted, {0, 1, 2}},
      {MksValueRule::SwitchInverted, {0, 1}},
      {MksValueRule::LfoWave, {0, 1, 2, 3}},
      {MksValueRule::SyncMode, {0, 1, 2}},
      {MksValueRule::Vco1Range, {36, 48, 60, 72, 84}},
      {MksValueRule::Vco2Range, {0, 36, 48, 60, 72, 84, 100}},
      {MksValueRule::FiveStep, {0, 1, 2, 3, 4}},
  };
  for (const auto& c : cases)
    for (const int b : c.bytes)
      EXPECT_EQ(vlm::EncodeMksValue(c.rule, vlm::DecodeMksValue(c.rule, static_cast<std::uint8_t>(b))), b)
          << static_cast<int>(c.rule) << " byte " << b;
  for (int b = 0; b <= 100; ++b)
    EXPECT_EQ(vlm::EncodeMksValue(MksValueRule::Percent, vlm::DecodeMksValue(MksValueRule::Percent, b)), b);
  for (int b = 21; b <= 108; ++b)
    EXPECT_EQ(vlm::EncodeMksValue(MksValueRule::SplitPoint, vlm::DecodeMksValue(MksValueRule::SplitPoint, b)),
              b);
}

TEST(Mks80Values, DecodingReadsOnlyItsBitsAndStaysWithinZeroToOne) {
  const struct {
    MksValueRule rule;
    int byte;
    double value;
  } cases[] = {
      {MksValueRule::Percent, 127, 1.0},         {MksValueRule::FourStepInverted, 6, 1.0 / 3},
      {MksValueRule::ThreeStepInverted, 3, 0.0}, {MksValueRule::SwitchInverted, 9, 0.0},
      {MksValueRule::LfoWave, 5, 0.75},          {MksValueRule::SyncMode, 3, 0.0},
      {MksValueRule::Vco1Range, 41, 0.0},        {MksValueRule::Vco1Range, 42, 0.25},
      {MksValueRule::Vco1Range, 127, 1.0},       {MksValueRule::Vco2Range, 1, 1.0 / 6},
      {MksValueRule::Vco2Range, 99, 5.0 / 6},    {MksValueRule::SplitPoint, 5, 0.0},
      {MksValueRule::SplitPoint, 120, 1.0},      {MksValueRule::FiveStep, 90, 1.0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(vlm::DecodeMksValue(c.rule, static_cast<std::uint8_t>(c.byte)), c.value)
        << static_cast<int>(c.rule) << " byte " << c.byte;
}

TEST(Mks80Values, EncodingFixesTheEndsAndNotANumber) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    MksValueRule rule;
    double x;
    int byte;
  } cases[] = {
      {MksValueRule::Percent, -1.0, 0},
      {MksValueRule::Percent, 7.0, 100},
      {MksValueRule::Percent, nan, 0},
      {MksValueRule::FourStepInverted, nan, 3},
      {MksValueRule::ThreeStepInverted, 0.0, 2},
      {MksValueRule::SwitchInverted, nan, 1},
      {MksValueRule::SwitchInverted, 0.5, 0},
      {MksValueRule::LfoWave, 0.5, 2},
      {MksValueRule::SyncMode, 0.5, 2},
      {MksValueRule::Vco1Range, 2.0, 84},
      {MksValueRule::Vco2Range, 0.5, 60},
      {MksValueRule::SplitPoint, nan, 21},
      {MksValueRule::SplitPoint, 1.0, 108},
      {MksValueRule::FiveStep, 0.6, 2},
      {MksValueRule::None, 0.7, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(vlm::EncodeMksValue(c.rule, c.x), c.byte) << static_cast<int>(c.rule) << " x " << c.x;
  EXPECT_EQ(vlm::DecodeMksValue(MksValueRule::LfoWave, 2), 0.25) << "0.5 does not survive the wave rule";
}

TEST(Mks80ParamMap, ToneMapCoversEveryToneParameterButTheRevisionSelectOnce) {
  std::set<int> indices;
  for (const vlm::MksMapRow& row : vlm::SysExToneMap)
    indices.insert(row.index);
  EXPECT_EQ(indices.size(), 48u);
  EXPECT_EQ(*indices.begin(), vlm::kUpperToneFirst + 1);
  EXPECT_EQ(*indices.rbegin(), vlm::kUpperToneFirst + vlm::kNumToneParams - 1);
}

TEST(Mks80ParamMap, MappingRefusesUnknownGroupsAndLevelsAndDropsChangesPastFull) {
  vlm::MksParamChanges r;
  EXPECT_FALSE(vlm::MapSysExValue(r, 0x20, 3, 0, 0, true));
  EXPECT_FALSE(vlm::MapSysExValue(r, 0x40, 1, 0, 0, false));
  EXPECT_FALSE(vlm::MapSysExValue(r, 0x10, 1, 0, 0, true));
  EXPECT_TRUE(vlm::MapSysExValue(r, 0x40, 1, 5, 0, true));
  EXPECT_EQ(r.count, 0);
  for (int i = 0; i < 70; ++i)
    EXPECT_TRUE(vlm::MapSysExValue(r, 0x30, 2, 9, static_cast<std::uint8_t>(i), false));
  EXPECT_EQ(r.count, 64);
  EXPECT_EQ(r.entries[63].index, vlm::kLowerBendRange);
}

} // namespace

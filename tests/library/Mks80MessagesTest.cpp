// MKS-80 message builders: byte-exact messages, the parameter number search, buffer and argument checks,
// and the readers of the processor's values.
#include "library/Mks80Messages.h"

#include <gtest/gtest.h>

#include <array>

#include "Mks80TestBytes.h"
#include "TestProcessor.h"
#include "library/Mks80Parser.h"

namespace {

using libtest::Bytes;
using libtest::Hex;
using libtest::ToHex;

// A reader over a plain table of normalized values that also records the indices it was asked for.
struct Table {
  std::array<double, vlm::kNumParams> values{};
  mutable std::vector<int> asked;
};

double ReadTable(int index, const void* context) {
  const auto* t = static_cast<const Table*>(context);
  t->asked.push_back(index);
  return t->values[static_cast<std::size_t>(index)];
}

std::string Ipr(int index, double value, int unit = 0) {
  Table t;
  t.values[static_cast<std::size_t>(index)] = value;
  Bytes out(16, 0xEE);
  out.resize(vlm::BuildIprMessage(index, unit, ReadTable, &t, out.data(), out.size()));
  return ToHex(out);
}

TEST(Mks80Messages, ParameterChangesFindTheirLevelGroupAndNumber) {
  const struct {
    int index;
    double value;
    const char* bytes;
  } cases[] = {
      {29, 0.5, "F0 41 36 00 20 20 01 18 32 F7"},    // vcf.cutoff, tone number 24
      {78, 1.0, "F0 41 36 00 20 20 02 18 64 F7"},    // the same on the Lower tone
      {0, 0.25, "F0 41 36 00 20 40 01 02 19 F7"},    // master volume: extension level
      {3, 1.0 / 3, "F0 41 36 00 20 30 01 00 02 F7"}, // key mode "Split-2"
      {170, 0.5, "F0 41 36 00 20 30 02 04 02 F7"},   // Lower octave shift
      {169, 1.0, "F0 41 36 00 20 40 01 04 64 F7"},   // stereo mode
      {21, 0.5, "F0 41 36 00 20 20 01 0F 3C F7"},    // vco1.range 60
      {17, 0.5, ""},
      {66, 0.5, ""},
      {162, 1.0, ""},
      {200, 0.5, ""},
      {115, 0.5, ""},
      {181, 0.5, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Ipr(c.index, c.value), c.bytes) << c.index;
  EXPECT_EQ(Ipr(29, 0.0, 0x13), "F0 41 36 03 20 20 01 18 00 F7") << "unit masked to its low nibble";
}

TEST(Mks80Messages, FixedMessagesAreByteExact) {
  Bytes out(300);
  const auto build = [&](std::size_t n) {
    return ToHex(Bytes(out.begin(), out.begin() + static_cast<long>(n)));
  };
  EXPECT_EQ(build(vlm::BuildProgramMessage(0x13, 130, out.data(), out.size())),
            "F0 41 34 03 20 30 00 02 00 F7");
  EXPECT_EQ(build(vlm::BuildWsfMessage(0, out.data(), out.size())), "F0 41 40 00 20 4D 4B 53 2D 38 30 00 F7");
  EXPECT_EQ(build(vlm::BuildRqfMessage(5, out.data(), out.size())), "F0 41 41 05 20 4D 4B 53 2D 38 30 00 F7");
  EXPECT_EQ(build(vlm::BuildEofMessage(0, out.data(), out.size())), "F0 41 45 00 20 F7");
  EXPECT_EQ(build(vlm::BuildShortHandshakeMessage(vlm::kMksOpRjc, 2, out.data(), out.size())),
            "F0 41 4F 02 20 F7");
  EXPECT_EQ(vlm::BuildShortHandshakeMessage(0x44, 0, out.data(), out.size()), 0u);
  const Bytes dat = libtest::Dat(1, 0x20, 1); // data 0, 1, ..., 127, 0, 1, ..., 119
  ASSERT_EQ(dat.size(), 255u);
  EXPECT_EQ(ToHex(Bytes(dat.begin(), dat.begin() + 7)), "F0 41 42 01 20 00 01");
  unsigned sum = 0;
  for (std::size_t i = 5; i < 253; ++i)
    sum += dat[i];
  EXPECT_EQ((sum + dat[253]) & 0x7F, 0u);
  EXPECT_EQ(dat[253], 0x5C) << "(0 - (8128 + 7140)) & 7F";
  EXPECT_EQ(dat[254], 0xF7);
}

TEST(Mks80Messages, BuildersWriteNothingIntoAShortBufferOrForBadArguments) {
  Table t;
  Bytes out(64, 0xEE);
  const struct {
    const char* what;
    std::size_t written;
  } cases[] = {
      {"program into 9", vlm::BuildProgramMessage(0, 0, out.data(), 9)},
      {"tone APR into 55", vlm::BuildAprToneMessage(1, 0, ReadTable, &t, out.data(), 55)},
      {"patch APR into 22", vlm::BuildAprPatchMessage(1, 0, ReadTable, &t, out.data(), 22)},
      {"IPR into 9", vlm::BuildIprMessage(29, 0, ReadTable, &t, out.data(), 9)},
      {"WSF into 12", vlm::BuildWsfMessage(0, out.data(), 12)},
      {"EOF into 5", vlm::BuildEofMessage(0, out.data(), 5)},
      {"group 3", vlm::BuildAprToneMessage(3, 0, ReadTable, &t, out.data(), 64)},
      {"group 0", vlm::BuildAprPatchMessage(0, 0, ReadTable, &t, out.data(), 64)},
      {"no reader", vlm::BuildIprMessage(29, 0, nullptr, &t, out.data(), 64)},
      {"negative index", vlm::BuildIprMessage(-1, 0, ReadTable, &t, out.data(), 64)},
      {"no buffer", vlm::BuildRqfMessage(0, nullptr, 64)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.written, 0u) << c.what;
  EXPECT_EQ(out, Bytes(64, 0xEE));
}

TEST(Mks80Messages, PatchDumpOfTheLowerGroupReadsTheLowerBlockButTheSharedKeyModeSplitAndBalance) {
  Table t;
  Bytes out(23);
  ASSERT_EQ(vlm::BuildAprPatchMessage(2, 0, ReadTable, &t, out.data(), out.size()), 23u);
  EXPECT_EQ(t.asked, (std::vector<int>{3, 4, 5, 170, 171, 172, 173, 174, 175, 176, 177, 178, 180, 179}));
  EXPECT_EQ(ToHex(Bytes(out.begin(), out.begin() + 7)), "F0 41 35 00 20 30 02");
  EXPECT_EQ(out[7 + 3], 0x00) << "the unused position";
}

TEST(Mks80Messages, DumpsParseBackToTheValuesTheyCarry) {
  Table t;
  for (std::size_t i = 0; i < t.values.size(); ++i)
    t.values[i] = static_cast<double>((i * 37) % 101) / 100.0;
  for (const int group : {1, 2}) {
    Bytes tone(56), patch(23);
    ASSERT_EQ(vlm::BuildAprToneMessage(group, 0, ReadTable, &t, tone.data(), tone.size()), 56u);
    ASSERT_EQ(vlm::BuildAprPatchMessage(group, 0, ReadTable, &t, patch.data(), patch.size()), 23u);
    const vlm::MksParamChanges toneChanges = vlm::ParseAprMessage(tone.data(), tone.size());
    const vlm::MksParamChanges patchChanges = vlm::ParseAprMessage(patch.data(), patch.size());
    ASSERT_TRUE(toneChanges.ok && patchChanges.ok);
    ASSERT_EQ(toneChanges.count, 48);
    ASSERT_EQ(patchChanges.count, 14);
    for (int i = 0; i < 48; ++i) {
      const vlm::MksMapRow& row = vlm::SysExToneMap[static_cast<std::size_t>(i)];
      const auto& e = toneChanges.entries[static_cast<std::size_t>(i)];
      EXPECT_EQ(e.index, row.index + (group == 2 ? 49 : 0));
      const std::uint8_t byte = vlm::EncodeMksValue(row.rule, t.values[static_cast<std::size_t>(row.index)]);
      EXPECT_EQ(e.normalized, vlm::DecodeMksValue(row.rule, byte)) << "tone number " << i;
    }
  }
}

TEST(Mks80Messages, ReadersTakeTheProcessorsNormalizedValues) {
  libtest::TestProcessor processor;
  processor.SetParameterValue(29, 0.25);
  processor.SetParameterValue(78, 0.75);
  const keel::IEditorDelegate* self = &processor;
  const vlm::ToneReadContext upper{self, false}, lower{self, true};
  EXPECT_DOUBLE_EQ(vlm::ReadParamValue(29, self), processor.Normalized(29));
  EXPECT_DOUBLE_EQ(vlm::ReadParamValueByRef(78, &self), processor.Normalized(78));
  EXPECT_DOUBLE_EQ(vlm::ReadToneValue(29, &upper), processor.Normalized(29));
  EXPECT_DOUBLE_EQ(vlm::ReadToneValue(29, &lower), processor.Normalized(78));
  EXPECT_EQ(vlm::ReadParamValue(400, self), 0.0);
  Bytes out(56);
  ASSERT_EQ(vlm::BuildAprToneMessage(2, 0, vlm::ReadToneValue, &lower, out.data(), out.size()), 56u);
  EXPECT_EQ(out[7 + 24], vlm::EncodeMksValue(vlm::MksValueRule::Percent, processor.Normalized(78)));
}

} // namespace

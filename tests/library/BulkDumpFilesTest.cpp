// The MIDI file of a received bulk dump: layout, unit of the handshake events, variable-length numbers.
#include <array>
#include <cstdint>
#include <regex>
#include <vector>

#include <gtest/gtest.h>

#include "library/BulkDumpFiles.h"
#include "library/Mks80Messages.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes DumpOf(int dats, int unit) {
  Bytes dump;
  std::array<std::uint8_t, vlm::kMksDatDataBytes> data{};
  for (int i = 0; i < dats; ++i) {
    data.fill(static_cast<std::uint8_t>(i));
    std::uint8_t frame[vlm::kMksDatLength];
    const auto n = vlm::BuildDatMessage(unit, vlm::kMksFormatType, data, frame, sizeof frame);
    dump.insert(dump.end(), frame, frame + n);
  }
  return dump;
}

TEST(BulkDumpFiles, SixteenDatDumpGivesTheFileLayout) {
  const Bytes dump = DumpOf(16, 0);
  const Bytes file = vlm::BuildSysExDumpSmf(dump, 16);
  ASSERT_EQ(file.size(), 4201u);
  EXPECT_EQ(
      Bytes(file.begin(), file.begin() + 22),
      (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0x10, 0x53}));
  EXPECT_EQ(Bytes(file.begin() + 22, file.begin() + 29), (Bytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}));
  EXPECT_EQ(Bytes(file.begin() + 29, file.begin() + 44),
            (Bytes{0x00, 0xF0, 0x0C, 0x41, 0x40, 0x00, 0x20, 'M', 'K', 'S', '-', '8', '0', 0x00, 0xF7}));
  // First DAT event: delta 192, F0, length 254, the frame without its F0.
  EXPECT_EQ(Bytes(file.begin() + 44, file.begin() + 49), (Bytes{0x81, 0x40, 0xF0, 0x81, 0x7E}));
  EXPECT_EQ(Bytes(file.begin() + 49, file.begin() + 49 + 254), Bytes(dump.begin() + 1, dump.begin() + 255));
  EXPECT_EQ(Bytes(file.end() - 13, file.end()),
            (Bytes{0x81, 0x40, 0xF0, 0x05, 0x41, 0x45, 0x00, 0x20, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(BulkDumpFiles, HandshakeEventsCarryTheFirstDatsUnit) {
  const Bytes file = vlm::BuildSysExDumpSmf(DumpOf(2, 3), 2);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(Bytes(file.begin() + 30, file.begin() + 35), (Bytes{0xF0, 0x0C, 0x41, 0x40, 0x03}));
  EXPECT_EQ(Bytes(file.end() - 11, file.end() - 4), (Bytes{0xF0, 0x05, 0x41, 0x45, 0x03, 0x20, 0xF7}));
}

TEST(BulkDumpFiles, NothingToStoreGivesNoFile) {
  EXPECT_TRUE(vlm::BuildSysExDumpSmf({}, 3).empty());
  EXPECT_TRUE(vlm::BuildSysExDumpSmf(DumpOf(1, 0), 0).empty());
  const Bytes unfinished = {0x00, 0xF0, 0x41, 0x42, 0x00};
  EXPECT_TRUE(vlm::BuildSysExDumpSmf(unfinished, 1).empty());
  // A message that is not a DAT is still stored; the unit then stays 0.
  const Bytes other = {0x12, 0xF0, 0x41, 0x43, 0x05, 0x20, 0xF7};
  const Bytes file = vlm::BuildSysExDumpSmf(other, 1);
  ASSERT_EQ(file.size(), 22u + 7 + 15 + 9 + 9 + 4);
  EXPECT_EQ(file[34], 0x00); // WSF unit
}

TEST(BulkDumpFiles, VariableLengthQuantities) {
  const struct {
    std::uint32_t value;
    Bytes bytes;
  } cases[] = {{0, {0x00}},         {127, {0x7F}},       {128, {0x81, 0x00}},
               {192, {0x81, 0x40}}, {254, {0x81, 0x7E}}, {0xFFFFFFFFu, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}}};
  for (const auto& c : cases) {
    Bytes out;
    vlm::AppendVarLen(out, c.value);
    EXPECT_EQ(out, c.bytes) << c.value;
  }
  Bytes be;
  vlm::AppendUInt32BE(be, 0x01020304);
  EXPECT_EQ(be, (Bytes{1, 2, 3, 4}));
}

TEST(BulkDumpFiles, BackupNameCarriesTheLocalTime) {
  EXPECT_TRUE(std::regex_match(vlm::MakeBackupFileName(), std::regex("MKS-80-Backup-[0-9]{8}-[0-9]{6}")));
}

} // namespace

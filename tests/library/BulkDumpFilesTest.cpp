// The MIDI file of a received bulk dump: layout, unit of the handshake events, variable-length numbers.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
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

// A memory of 64 tone-and-patch sets in 16 DATs, each set legal for the page's importer and each different.
Bytes MemoryDump() {
  Bytes memory;
  for (int i = 0; i < 64; ++i) {
    Bytes tone(39, static_cast<std::uint8_t>((i + 1) % 100));
    tone[9] = 24;
    tone[10] = 25;
    std::fill(tone.begin() + 33, tone.end(), 0);
    const Bytes patch = {1, 60, 50, 0, 3, 0, 0, 4, 10, 20, 30, 40, 50, 0, 3, 0, 0, 4, 10, 20, 30, 40, 50};
    memory.insert(memory.end(), tone.begin(), tone.end());
    memory.insert(memory.end(), patch.begin(), patch.end());
  }
  Bytes dump;
  for (int k = 0; k < 16; ++k) {
    std::array<std::uint8_t, vlm::kMksDatDataBytes> data{};
    std::copy_n(memory.begin() + k * 248, 248, data.begin());
    std::uint8_t frame[vlm::kMksDatLength];
    const auto n = vlm::BuildDatMessage(0, vlm::kMksFormatType, data, frame, sizeof frame);
    dump.insert(dump.end(), frame, frame + n);
  }
  return dump;
}

std::string Hex(const Bytes& bytes, std::size_t from, std::size_t to) {
  std::string out;
  char cell[4];
  for (std::size_t i = from; i < to; ++i) {
    std::snprintf(cell, sizeof cell, i == from ? "%02X" : " %02X", bytes[i]);
    out += cell;
  }
  return out;
}

Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(BulkDumpFiles, SysExFromAMidiFileIsItsMessagesRawAndAnythingElseIsRefused) {
  const Bytes dump = DumpOf(2, 5);
  const Bytes raw = vlm::SysExFromSmf(vlm::BuildSysExDumpSmf(dump, 2));
  // WSF, both DATs, EOF.
  ASSERT_EQ(raw.size(), 13u + dump.size() + 6u);
  EXPECT_EQ(Bytes(raw.begin() + 13, raw.end() - 6), dump);
  // A message split into an F0 packet and an F7 continuation comes out whole; channel events with running
  // status and meta events are stepped over.
  const Bytes split = {'M',  'T', 'h',  'd',  0, 0,    0,  6,    0,    0,  0,    1,    0,  96,  'M',
                       'T',  'r', 'k',  0,    0, 0,    21, 0,    0x90, 60, 100,  0,    62, 100, 0,
                       0xF0, 2,   0x41, 0x10, 0, 0xF7, 2,  0x20, 0xF7, 0,  0xFF, 0x2F, 0};
  EXPECT_EQ(vlm::SysExFromSmf(split), (Bytes{0xF0, 0x41, 0x10, 0x20, 0xF7}));
  for (const Bytes& bad : {Bytes{}, Bytes{0xF0, 0x41, 0xF7}, Bytes(split.begin(), split.end() - 3),
                           Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 0}})
    EXPECT_TRUE(vlm::SysExFromSmf(bad).empty());
}

// The dump files as written for ".mid" and ".syx" names, kept under tests/library/golden so that the page's
// importer reads the very same bytes (webui/src/mks/cppDumpFiles.test.ts). VLM_UPDATE_GOLDEN=1 rewrites them.
TEST(BulkDumpFiles, MidAndSyxFilesReadBackAlikeByAnIndependentReader) {
  const char* source = std::getenv("VLM_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::filesystem::path golden = std::filesystem::path(source) / "tests" / "library" / "golden";
  const Bytes dump = MemoryDump();
  const Bytes mid = vlm::DumpFileContent("bank.mid", vlm::BuildSysExDumpSmf(dump, 16));
  const Bytes syx = vlm::DumpFileContent("bank.syx", mid);
  if (std::getenv("VLM_UPDATE_GOLDEN")) {
    std::ofstream(golden / "mks80-dump-16.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(mid.data()), static_cast<std::streamsize>(mid.size()));
    std::ofstream(golden / "mks80-dump-16.syx", std::ios::binary)
        .write(reinterpret_cast<const char*>(syx.data()), static_cast<std::streamsize>(syx.size()));
  }
  EXPECT_EQ(ReadBytes(golden / "mks80-dump-16.mid"), mid);
  EXPECT_EQ(ReadBytes(golden / "mks80-dump-16.syx"), syx);
  ASSERT_EQ(Hex(mid, 0, 4), "4D 54 68 64");
  ASSERT_EQ(syx.front(), 0xF0);

  // mido sees the same eighteen messages in both: WSF, the 16 DATs, EOF.
  std::string expected;
  for (std::size_t at = 0; at < syx.size();) {
    const std::size_t end =
        std::find(syx.begin() + static_cast<std::ptrdiff_t>(at), syx.end(), 0xF7) - syx.begin();
    expected += Hex(syx, at, end + 1) + "\n";
    at = end + 1;
  }
  // The system's Python, where Debian puts mido.
  const std::string command = "/usr/bin/python3 " + (golden / "read_dump_files.py").string() + " " +
                              (golden / "mks80-dump-16.mid").string() + " " +
                              (golden / "mks80-dump-16.syx").string() + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe))
    output += buffer;
  ASSERT_EQ(::pclose(pipe), 0) << output;
  EXPECT_EQ(output, (golden / "mks80-dump-16.mid").string() + "\n" + expected +
                        (golden / "mks80-dump-16.syx").string() + "\n" + expected);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 18);
}

} // namespace

// MKS-80 message parsers on good and hostile frames (short, long, bad checksum, wrong IDs), and the search
// for DAT frames in a stream with noise between them.
#include "library/Mks80Parser.h"

#include <gtest/gtest.h>

#include "Mks80TestBytes.h"

namespace {

using libtest::Bytes;
using libtest::Hex;

struct ParamCase {
  std::string bytes;
  bool ok;
  const char* error; // null: none
  int count;
  int firstIndex;
  double firstValue;
};

void ExpectParse(vlm::MksParamChanges (*parse)(const std::uint8_t*, std::size_t), const ParamCase& c) {
  const Bytes b = Hex(c.bytes);
  SCOPED_TRACE(c.bytes);
  const vlm::MksParamChanges r = parse(b.data(), b.size());
  EXPECT_EQ(r.ok, c.ok);
  EXPECT_STREQ(r.error, c.error);
  EXPECT_EQ(r.count, c.count);
  if (c.count > 0) {
    EXPECT_EQ(r.entries[0].index, c.firstIndex);
    EXPECT_DOUBLE_EQ(r.entries[0].normalized, c.firstValue);
  }
}

TEST(Mks80Parser, ParameterChangeMessages) {
  const ParamCase cases[] = {
      {"F0 41 36 00 20 20 01 18 32 F7", true, nullptr, 1, 29, 0.5},
      {"F0 41 36 00 20 20 02 18 64 F7", true, nullptr, 1, 78, 1.0},
      {"F0 41 36 00 20 30 02 04 03 F7", true, nullptr, 1, 170, 0.75},
      {"F0 41 36 00 20 30 02 00 00 F7", true, nullptr, 1, 3, 1.0},
      {"F0 41 36 0F 20 40 02 02 64 F7", true, nullptr, 1, 0, 1.0},
      {"F0 41 36 00 20 20 01 30 05 18 32 F7", true, nullptr, 1, 29, 0.5}, // number 48: nothing
      {"F0 41 36 00 20 30 01 03 05 F7", true, nullptr, 0, 0, 0},          // patch number 3: nothing
      {"F0 41 36 00 20 20 01 18 F7", false, "IPR: odd (param,value) payload length", 0, 0, 0},
      {"F0 41 36 00 20 20 03 18 32 F7", false, "IPR: unknown group byte (want 0x01/0x02)", 0, 0, 0},
      {"F0 41 36 10 20 20 01 18 32 F7", false, "IPR: unit byte has high nibble set", 0, 0, 0},
      {"F0 41 36 00 21 20 01 18 32 F7", false, "IPR: format type byte is not 0x20", 0, 0, 0},
      {"F0 41 36 00 20 20 01 18 32 00", false, "IPR: missing F7 terminator", 0, 0, 0},
      {"F0 41 36 00 20 20 01 18 32 18 80 F7", false, "IPR: data byte >= 0x80", 0, 0, 0},
      {"F0 41 36 00 20 50 01 18 32 F7", false, "IPR: unknown level byte (want 0x20/0x30/0x40)", 0, 0, 0},
      {"F0 41 36 00 20 20 01 F7", false, nullptr, 0, 0, 0},       // too short to be one
      {"F0 41 35 00 20 20 01 18 32 F7", false, nullptr, 0, 0, 0}, // another operation
      {"F0 43 36 00 20 20 01 18 32 F7", false, nullptr, 0, 0, 0}, // another maker
  };
  for (const auto& c : cases)
    ExpectParse(vlm::ParseIprMessage, c);
  EXPECT_FALSE(vlm::ParseIprMessage(nullptr, 10).ok);
}

TEST(Mks80Parser, ParameterChangeMessagesAreCutAt64Changes) {
  Bytes b = Hex("F0 41 36 00 20 20 01");
  for (int i = 0; i < 70; ++i) {
    b.push_back(24);
    b.push_back(static_cast<std::uint8_t>(i));
  }
  b.push_back(0xF7);
  const vlm::MksParamChanges r = vlm::ParseIprMessage(b.data(), b.size());
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.count, 64);
  EXPECT_DOUBLE_EQ(r.entries[63].normalized, 0.63);
}

TEST(Mks80Parser, DumpMessages) {
  const std::string patch = "F0 41 35 00 20 30 01 03 3F 32 00 02 04 00 00 00 0C 00 00 00 01 20 F7";
  const std::string tone48 = " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                             " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
  const ParamCase cases[] = {
      {patch, true, nullptr, 14, 3, 0.0},
      {("F0 41 35 00 20 20 02" + tone48 + " F7"), true, nullptr, 48, 50 + 49, 0.0},
      {"F0 41 35 00 20 40 01 02 64 F7", false, "APR: unknown level byte (want 0x20/0x30)", 0, 0, 0},
      {"F0 41 35 00 20 30 01 03 3F 32 00 02 F7", false, "APR: value count mismatch (want 48 tone / 15 patch)",
       0, 0, 0},
      {("F0 41 35 00 20 20 01" + tone48 + " 00 F7"), false,
       "APR: value count mismatch (want 48 tone / 15 patch)", 0, 0, 0},
      {"F0 41 35 00 20 30 01 03 3F 32 00 02 04 00 00 80 0C 00 00 00 01 20 F7", false,
       "APR: data byte >= 0x80", 0, 0, 0},
      {"F0 41 35 00 20 30 00 03 3F 32 00 02 04 00 00 00 0C 00 00 00 01 20 F7", false,
       "APR: unknown group byte (want 0x01/0x02)", 0, 0, 0},
      {"F0 41 35 80 20 30 01 F7", false, "APR: unit byte has high nibble set", 0, 0, 0},
      {"F0 41 35 00 00 30 01 F7", false, "APR: format type byte is not 0x20", 0, 0, 0},
      {"F0 41 35 00 20 30 01 00", false, "APR: missing F7 terminator", 0, 0, 0},
      {"F0 41 35 00 20 30 F7", false, nullptr, 0, 0, 0},
  };
  for (const auto& c : cases)
    ExpectParse(vlm::ParseAprMessage, c);
}

struct HandshakeCase {
  Bytes bytes;
  bool ok;
  std::uint8_t op;
  const char* error;
};

TEST(Mks80Parser, HandshakeMessages) {
  Bytes badSum = libtest::Dat(3), highData = libtest::Dat(3), highSum = libtest::Dat(3),
        badFormat = libtest::Dat(3), badUnit = libtest::Dat(3), longDat = libtest::Dat(3);
  badSum[253] ^= 1;
  highData[100] = 0x80;
  highSum[253] = 0x85;
  badFormat[4] = 0x02;
  badUnit[3] = 0x23;
  longDat.insert(longDat.begin() + 10, 0x00);
  Bytes shortDat254 = libtest::Dat(3);
  shortDat254.erase(shortDat254.begin() + 100);
  const HandshakeCase cases[] = {
      {libtest::Dat(3), true, 0x42, nullptr},
      {libtest::Dat(3, 0x01), true, 0x42, nullptr},
      {shortDat254, false, 0x42, "DAT length != 255"},
      {longDat, false, 0x42, "DAT length != 255"},
      {badSum, false, 0x42, "DAT checksum mismatch"},
      {highData, false, 0x42, "DAT data byte >= 0x80"},
      {highSum, false, 0x42, "DAT checksum byte >= 0x80"},
      {badFormat, false, 0x42, "DAT format type unsupported (want 0x20)"},
      {badUnit, false, 0x42, "unit byte has high nibble set"},
      {Hex("F0 41 40 02 20 4D 4B 53 2D 38 30 00 F7"), true, 0x40, nullptr},
      {Hex("F0 41 41 00 20 4D 4B 53 2D 38 30 00 F7"), true, 0x41, nullptr},
      {Hex("F0 41 40 00 20 4D 4B 53 2D 38 31 00 F7"), false, 0x40, "WSF/RQF file name != 'MKS-80'"},
      {Hex("F0 41 41 00 20 4D 4B 53 2D 38 30 01 F7"), false, 0x41, "WSF/RQF checksum byte != 0x00"},
      {Hex("F0 41 41 00 20 4D 4B 53 2D 38 30 00 00 F7"), false, 0x41, "WSF/RQF length != 13"},
      {Hex("F0 41 41 00 21 4D 4B 53 2D 38 30 00 F7"), false, 0x41, "format type byte is not 0x20"},
      {Hex("F0 41 43 00 20 F7"), true, 0x43, nullptr},
      {Hex("F0 41 45 0F 20 F7"), true, 0x45, nullptr},
      {Hex("F0 41 4E 00 20 F7"), true, 0x4E, nullptr},
      {Hex("F0 41 4F 00 20 F7"), true, 0x4F, nullptr},
      {Hex("F0 41 43 00 20 00 F7"), false, 0x43, "ACK/EOF/ERR/RJC length != 6"},
      {Hex("F0 41 44 00 20 F7"), false, 0x00, nullptr},
      {Hex("F0 41 43 00 20 00"), false, 0x00, nullptr},
      {Hex("F0 42 43 00 20 F7"), false, 0x00, nullptr},
      {Hex("F0 41 43 20 F7"), false, 0x00, nullptr},
  };
  for (const auto& c : cases) {
    const vlm::MksHandshakeFrame h = vlm::ParseHandshakeMessage(c.bytes.data(), c.bytes.size());
    const std::string what = libtest::ToHex(Bytes(c.bytes.begin(), c.bytes.begin() + 6)) + " len " +
                             std::to_string(c.bytes.size());
    EXPECT_EQ(h.ok, c.ok) << what;
    EXPECT_EQ(h.operation, c.op) << what;
    EXPECT_STREQ(h.error, c.error) << what;
    if (!h.ok) {
      EXPECT_EQ(h.data, decltype(h.data){}) << what;
    }
  }
}

TEST(Mks80Parser, AGoodDatCarriesItsUnitFormatDataAndChecksum) {
  const Bytes dat = libtest::Dat(9, 0x01, 5);
  const vlm::MksHandshakeFrame h = vlm::ParseHandshakeMessage(dat.data(), dat.size());
  ASSERT_TRUE(h.ok);
  EXPECT_EQ(h.unit, 9);
  EXPECT_EQ(h.format, 0x01);
  EXPECT_EQ(h.checksum, dat[253]);
  EXPECT_TRUE(std::equal(h.data.begin(), h.data.end(), dat.begin() + 5));
}

TEST(Mks80Parser, DatFramesAreFoundBetweenNoiseAndOtherMessages) {
  const Bytes dat1 = libtest::Dat(0, 0x20, 1), dat2 = libtest::Dat(0, 0x20, 2);
  Bytes stream = Hex("00 F7 41 42 7F");                  // 0: noise with a stray F7
  const std::size_t at1 = stream.size();                 // 5
  stream.insert(stream.end(), dat1.begin(), dat1.end()); // DAT
  for (const char* piece : {"12 34", "F0 41 40 00 20 4D 4B 53 2D 38 30 00 F7", "F0 41 F7", "F0 41 42 00 01"})
    for (const std::uint8_t b : Hex(piece)) // noise, a WSF, a 3-byte frame, a cut-off DAT
      stream.push_back(b);
  const std::size_t at2 = stream.size();
  stream.insert(stream.end(), dat2.begin(), dat2.end()); // a whole DAT right after the cut-off one
  const std::size_t atTiny = stream.size();
  for (const std::uint8_t b : Hex("F0 41 42 F7 55 F0 41 42 00"))
    stream.push_back(b); // a 4-byte frame, noise, an unterminated frame
  EXPECT_EQ(vlm::FindDatFrames(stream),
            (std::vector<vlm::MksFrameSpan>{{at1, 255}, {at2, 255}, {atTiny, 4}}));
  EXPECT_TRUE(vlm::FindDatFrames({}).empty());
  EXPECT_TRUE(vlm::FindDatFrames(Hex("F0 41 42 00")).empty());
}

} // namespace

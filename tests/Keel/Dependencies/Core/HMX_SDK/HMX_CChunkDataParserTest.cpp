// The chunk data format: exact bytes, round trips, the rotating lookup, and hostile chunks.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CChunkDataParser.h"
#include "RecordingHostServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// A chunk record with room for the given data bytes.
struct ChunkBuffer {
  explicit ChunkBuffer(size_t dataBytes) : bytes(PlugInChunk::kDataOffset + dataBytes, 0xEE) {}
  PlugInChunk& Chunk() { return *reinterpret_cast<PlugInChunk*>(bytes.data()); }
  std::vector<uint8_t> Data() {
    return std::vector<uint8_t>(bytes.begin() + PlugInChunk::kDataOffset,
                                bytes.begin() + PlugInChunk::kDataOffset + Chunk().mSize);
  }
  std::vector<uint8_t> bytes;
};

// A chunk whose size field and data are exactly the given bytes.
ChunkBuffer RawChunk(const std::vector<uint8_t>& data, int32_t version = 3) {
  ChunkBuffer buffer(data.size());
  buffer.Chunk().mSize = int32_t(data.size());
  buffer.Chunk().mVersion = version;
  std::copy(data.begin(), data.end(), buffer.bytes.begin() + PlugInChunk::kDataOffset);
  return buffer;
}

std::vector<uint8_t> Write(const HMX_CChunkDataParser& parser) {
  ChunkBuffer buffer(size_t(parser.ChunkDataSize()));
  EXPECT_EQ(parser.GetChunkData(buffer.Chunk()), 0);
  return buffer.Data();
}

TEST(HMX_CChunkDataParser, WritesTheExactBytesOfEachType) {
  struct Case {
    const char* what;
    void (*add)(HMX_CChunkDataParser&);
    std::vector<uint8_t> entry;
  };
  const Case cases[] = {
      {"int32 a = 1", [](HMX_CChunkDataParser& p) { p.AddInt32("a", 1); }, {'l', '_', 'a', 0, 0, 0, 0, 1}},
      {"int32 a = -2",
       [](HMX_CChunkDataParser& p) { p.AddInt32("a", -2); },
       {'l', '_', 'a', 0, 0xFF, 0xFF, 0xFF, 0xFE}},
      {"double gain = 1.0",
       [](HMX_CChunkDataParser& p) { p.AddDouble("gain", 1.0); },
       {'d', '_', 'g', 'a', 'i', 'n', 0, 0, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
      {"string s = ab",
       [](HMX_CChunkDataParser& p) { p.AddString("s", HMX_CString("ab")); },
       {'r', '_', 's', 0, 'a', 'b', 0, 0}},
      {"string e = empty",
       [](HMX_CChunkDataParser& p) { p.AddString("e", HMX_CString("")); },
       {'r', '_', 'e', 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    HMX_CChunkDataParser parser;
    c.add(parser);
    std::vector<uint8_t> expected{1, 1, 1, 1};
    expected.insert(expected.end(), c.entry.begin(), c.entry.end());
    EXPECT_EQ(parser.ChunkDataSize(), int32_t(expected.size())) << c.what;
    EXPECT_EQ(Write(parser), expected) << c.what;
  }
  HMX_CChunkDataParser empty;
  EXPECT_EQ(Write(empty), (std::vector<uint8_t>{1, 1, 1, 1}));
}

TEST(HMX_CChunkDataParser, RoundTripsEntriesAndTakesTheVersion) {
  HMX_CChunkDataParser writer;
  writer.AddInt32("1", 42);
  writer.AddDouble("2", -0.125);
  writer.AddString("name", HMX_CString("Velmora"));
  writer.AddInt32("", -7);
  ChunkBuffer buffer(size_t(writer.ChunkDataSize()));
  ASSERT_EQ(writer.GetChunkData(buffer.Chunk()), 0);
  buffer.Chunk().mVersion = 9;

  HMX_CChunkDataParser reader;
  reader.LoadChunk(buffer.Chunk());
  EXPECT_EQ(reader.Version(), 9);
  ASSERT_EQ(reader.Entries().size(), 4u);
  int32_t i = 0;
  double d = 0;
  HMX_CString s;
  EXPECT_TRUE(reader.FindInt32("1", i));
  EXPECT_EQ(i, 42);
  EXPECT_TRUE(reader.FindDouble("2", d));
  EXPECT_EQ(d, -0.125);
  EXPECT_TRUE(reader.FindString("name", &s));
  EXPECT_EQ(s.Str(), "Velmora");
  EXPECT_TRUE(reader.FindInt32("", i));
  EXPECT_EQ(i, -7);
  // Wrong type, unknown name, null out: false and out untouched.
  i = 5;
  EXPECT_FALSE(reader.FindInt32("2", i));
  EXPECT_FALSE(reader.FindInt32("3", i));
  EXPECT_FALSE(reader.FindString("name", nullptr));
  EXPECT_EQ(i, 5);
  reader.Clear();
  EXPECT_EQ(reader.Version(), -1);
  EXPECT_TRUE(reader.Entries().empty());
}

TEST(HMX_CChunkDataParser, KeepsFloatAndInt16EntriesItReads) {
  const std::vector<uint8_t> data{1, 1, 1,   1,   'f', '_', 'x',  0,    0x3F, 0x80,
                                  0, 0, 's', '_', 'y', 0,   0xFF, 0xFE, 0,    0};
  auto buffer = RawChunk(data);
  HMX_CChunkDataParser parser;
  parser.LoadChunk(buffer.Chunk());
  ASSERT_EQ(parser.Entries().size(), 2u);
  EXPECT_EQ(parser.Entries()[0].type, HMX_CChunkDataParser::kTypeFloat);
  EXPECT_EQ(parser.Entries()[0].integer, 0x3F800000); // the bits of 1.0f
  EXPECT_EQ(parser.Entries()[1].type, HMX_CChunkDataParser::kTypeInt16);
  EXPECT_EQ(parser.Entries()[1].integer, -2);
  int32_t i = 0;
  EXPECT_FALSE(parser.FindInt32("y", i));
}

TEST(HMX_CChunkDataParser, RotatingLookupWrapsAroundFromTheLastHit) {
  HMX_CChunkDataParser parser;
  for (int i = 0; i < 10; ++i)
    parser.AddInt32(std::to_string(i).c_str(), i);
  EXPECT_EQ(parser.FindEntry("5"), 5);
  EXPECT_EQ(parser.LastFoundIndex(), 5);
  EXPECT_EQ(parser.FindEntry("2"), 2); // scans 6 to 9, then 0 to 5
  EXPECT_EQ(parser.FindEntry("9"), 9);
  EXPECT_EQ(parser.FindEntry("0"), 0); // the last hit was the last entry: starts over
  EXPECT_EQ(parser.FindEntry("x"), -1);
  EXPECT_EQ(parser.LastFoundIndex(), 0);
}

TEST(HMX_CChunkDataParser, HostileChunksLoadWhatIsWellFormedAndNeverReadPastTheSize) {
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
    size_t entries;
  };
  const Case cases[] = {
      {"empty", {}, 0},
      {"only the marker", {1, 1, 1, 1}, 0},
      {"wrong marker", {1, 1, 1, 2, 'l', '_', 'a', 0, 0, 0, 0, 1}, 0},
      {"shorter than the marker", {1, 1}, 0},
      {"unknown type keeps the key, reads no value",
       {1, 1, 1, 1, 'x', '_', 'q', 0, 'l', '_', 'a', 0, 0, 0, 0, 1},
       2},
      {"key without its NUL", {1, 1, 1, 1, 'l', '_', 'a', 'b'}, 0},
      {"int32 value cut short", {1, 1, 1, 1, 'l', '_', 'a', 0, 0, 0}, 0},
      {"double value cut short", {1, 1, 1, 1, 'd', '_', 'a', 0, 0, 0, 0, 0, 0, 0}, 0},
      {"string without its NUL", {1, 1, 1, 1, 'r', '_', 'a', 0, 'a', 'b'}, 0},
      {"good entry then garbage", {1, 1, 1, 1, 'l', '_', 'a', 0, 0, 0, 0, 1, 'd'}, 1},
      {"empty key", {1, 1, 1, 1, 0, 0, 0, 0}, 1},
      {"string key ending on the last byte", {1, 1, 1, 1, 'r', '_', 'a', 'b', 'c', 0}, 0},
      {"string key ending one byte short of a word", {1, 1, 1, 1, 'r', '_', 'a', 'b', 'c', 'd', 0}, 0},
      {"double key ending on the last byte", {1, 1, 1, 1, 'l', '_', 'a', 0, 0, 0, 0, 1, 'd', '_', 0}, 1},
      {"unknown key ending on the last byte", {1, 1, 1, 1, 'x', '_', 'q', 'q', 0}, 1},
  };
  for (const Case& c : cases) {
    // The bytes after the data part are not zero: a reader that goes past the size would see them.
    auto buffer = RawChunk(c.data);
    buffer.bytes.insert(buffer.bytes.end(), 16, 'z');
    HMX_CChunkDataParser parser;
    parser.LoadChunk(buffer.Chunk());
    EXPECT_EQ(parser.Entries().size(), c.entries) << c.what;

    // And in a record that ends exactly with its data, where the sanitizer sees any read past it.
    const size_t bytes = PlugInChunk::kDataOffset + c.data.size();
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes]);
    std::copy(buffer.bytes.begin(), buffer.bytes.begin() + std::ptrdiff_t(bytes), exact.get());
    HMX_CChunkDataParser exactParser;
    exactParser.LoadChunk(*reinterpret_cast<const PlugInChunk*>(exact.get()));
    EXPECT_EQ(exactParser.Entries().size(), c.entries) << c.what << " (exact size)";
  }
  // A negative or huge size field is not trusted beyond the marker check.
  auto negative = RawChunk({1, 1, 1, 1});
  negative.Chunk().mSize = -8;
  HMX_CChunkDataParser parser;
  parser.LoadChunk(negative.Chunk());
  EXPECT_TRUE(parser.Entries().empty());
}

TEST(HMX_CChunkDataParser, UnknownTypeEntryTakesNoValueBytes) {
  auto buffer = RawChunk({1, 1, 1, 1, 'x', '_', 'q', 0, 'l', '_', 'a', 0, 0, 0, 0, 1});
  HMX_CChunkDataParser parser;
  parser.LoadChunk(buffer.Chunk());
  ASSERT_EQ(parser.Entries().size(), 2u);
  EXPECT_EQ(parser.Entries()[0].type, HMX_CChunkDataParser::kTypeNone);
  EXPECT_EQ(parser.Entries()[0].name.Str(), "q");
  int32_t a = 0;
  EXPECT_TRUE(parser.FindInt32("a", a));
  EXPECT_EQ(a, 1);
}

} // namespace

// The state chunk's layout: exact bytes, and cut or hostile chunks that must never be read past their end.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "processor/state/PluginState.h"

namespace {

using namespace vlm;

PluginState Sample() {
  PluginState s;
  for (int k = 0; k < kStateValueCount; ++k)
    s.values[static_cast<size_t>(k)] = k * 0.5 - 3.0;
  s.bankState = R"({"expandedTones":true})";
  s.midiInName = "MKS-80 In";
  s.midiOutName = "MKS-80 Out";
  s.extension = R"({"params":{},"v":2})";
  return s;
}

keel::ByteChunk Chunk(const std::string& bytes) {
  keel::ByteChunk c;
  c.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return c;
}

std::string Bytes(const keel::ByteChunk& c) {
  return std::string(reinterpret_cast<const char*>(c.GetData()), static_cast<size_t>(c.Size()));
}

std::string Int32(std::int32_t v) {
  return std::string(reinterpret_cast<const char*>(&v), 4);
}

TEST(PluginStateLayout, ValuesThenFourLengthPrefixedStrings) {
  keel::ByteChunk c;
  ASSERT_TRUE(WritePluginState(c, Sample()));
  const std::string bytes = Bytes(c);
  const PluginState s = Sample();
  ASSERT_EQ(2896 + 4 + s.bankState.size() + 4 + 9 + 4 + 10 + 4 + s.extension.size(), bytes.size());
  double v1 = 0;
  std::memcpy(&v1, bytes.data() + 8, 8);
  EXPECT_EQ(-2.5, v1);
  EXPECT_EQ(Int32(static_cast<int>(s.bankState.size())) + s.bankState + Int32(9) + "MKS-80 In" + Int32(10) +
                "MKS-80 Out" + Int32(static_cast<int>(s.extension.size())) + s.extension,
            bytes.substr(2896));
  EXPECT_EQ(369, StateValueParam(361));
  EXPECT_EQ(180, StateValueParam(180));
  EXPECT_EQ(189, StateValueParam(181));
}

TEST(PluginStateLayout, ReadsBackWhatWasWrittenFromAnyStartPosition) {
  keel::ByteChunk c;
  c.PutStr("framework part");
  const int start = c.Size();
  ASSERT_TRUE(WritePluginState(c, Sample()));
  const PluginStateRead r = ReadPluginState(c, start);
  EXPECT_EQ(c.Size(), r.position);
  EXPECT_EQ(kStateValueCount, r.valueCount);
  EXPECT_EQ(Sample().values, r.values);
  EXPECT_EQ(Sample().bankState, r.bankState);
  EXPECT_EQ("MKS-80 In", r.midiInName);
  EXPECT_EQ("MKS-80 Out", r.midiOutName);
  EXPECT_EQ(Sample().extension, r.extension);
}

TEST(PluginStateLayout, EveryCutOfAChunkReadsOnlyWhatIsThere) {
  keel::ByteChunk full;
  ASSERT_TRUE(WritePluginState(full, Sample()));
  const std::string bytes = Bytes(full);
  const int bankEnd = 2896 + 4 + static_cast<int>(Sample().bankState.size());
  const int inEnd = bankEnd + 4 + 9;
  const int outEnd = inEnd + 4 + 10;
  for (int size = 0; size <= static_cast<int>(bytes.size()); ++size) {
    const PluginStateRead r = ReadPluginState(Chunk(bytes.substr(0, static_cast<size_t>(size))), 0);
    ASSERT_LE(r.position, size) << size;
    EXPECT_EQ(std::min(size / 8, kStateValueCount), r.valueCount) << size;
    if (size < 2896) {
      EXPECT_EQ(-1, r.position) << size;
      continue;
    }
    EXPECT_EQ(size >= 2900, r.bankState.has_value()) << size;
    EXPECT_EQ(size >= bankEnd + 4, r.midiInName.has_value()) << size;
    EXPECT_EQ(size >= inEnd + 4, r.midiOutName.has_value()) << size;
    EXPECT_EQ(size >= outEnd + 4, r.extension.has_value()) << size;
    // An input name without an output name is a cut chunk.
    if (size >= bankEnd + 4 && size < inEnd + 4) {
      EXPECT_EQ(-1, r.position) << size;
    }
  }
}

TEST(PluginStateLayout, HostileLengthsReadAsEmptyAndNeverPastTheEnd) {
  const std::string values(2896, '\0');
  for (const std::int32_t length : {-1, INT_MIN, INT_MAX, 1000, -2896}) {
    const keel::ByteChunk c = Chunk(values + Int32(length) + "abc");
    const PluginStateRead r = ReadPluginState(c, 0);
    EXPECT_EQ("", r.bankState.value_or("?")) << length;
    EXPECT_GE(r.position, 2900) << length;
    EXPECT_LE(r.position, c.Size()) << length;
  }
  // Hostile lengths later in the chunk: names and extension.
  const keel::ByteChunk c =
      Chunk(values + Int32(2) + "{}" + Int32(-5) + Int32(3) + "out" + Int32(INT_MAX) + "{\"v\":2}");
  const PluginStateRead r = ReadPluginState(c, 0);
  EXPECT_EQ("{}", r.bankState);
  EXPECT_EQ("", r.midiInName);
  EXPECT_EQ("out", r.midiOutName);
  EXPECT_EQ("", r.extension);
  EXPECT_EQ(c.Size(), r.position);
  // Start positions outside the chunk read nothing.
  for (const int start : {-1, INT_MIN, c.Size(), INT_MAX}) {
    const PluginStateRead none = ReadPluginState(c, start);
    EXPECT_EQ(0, none.valueCount);
    EXPECT_EQ(-1, none.position);
  }
}

TEST(PluginStateLayout, TheBankTextEndsAtAZeroByte) {
  const std::string bank = std::string("{\"a\":1}\0junk", 12);
  const PluginStateRead r = ReadPluginState(Chunk(std::string(2896, '\0') + Int32(12) + bank), 0);
  EXPECT_EQ("{\"a\":1}", r.bankState);
  EXPECT_EQ(2896 + 4 + 12, r.position);
}

} // namespace

// ByteChunk: round trips, and hostile chunks that must never move the reader backwards or past the end.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Keel/Core/ByteChunk.h"

using keel::ByteChunk;
using keel::HeapString;

namespace {

TEST(ByteChunk, RoundTripsValuesAndStringsInOrder) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.Put(0.125), 8);
  EXPECT_EQ(chunk.Put(int32_t{-3}), 12);
  EXPECT_EQ(chunk.PutStr("abc"), 19);
  EXPECT_EQ(chunk.PutStr(""), 23);
  EXPECT_EQ(chunk.Put(uint8_t{7}), 24);

  double d = 0;
  int32_t i = 0;
  uint8_t b = 0;
  HeapString s1("old"), s2("old");
  int pos = chunk.Get(&d, 0);
  pos = chunk.Get(&i, pos);
  pos = chunk.GetStr(s1, pos);
  pos = chunk.GetStr(s2, pos);
  pos = chunk.Get(&b, pos);
  EXPECT_EQ(pos, 24);
  EXPECT_EQ(d, 0.125);
  EXPECT_EQ(i, -3);
  EXPECT_STREQ(s1.Get(), "abc");
  EXPECT_STREQ(s2.Get(), "");
  EXPECT_EQ(b, 7);
  EXPECT_EQ(chunk.Get(&b, pos), -1) << "reads past the end fail";
}

TEST(ByteChunk, StoresLittleEndianBytesAndLengthPrefixedStrings) {
  ByteChunk chunk;
  chunk.PutStr("abc");
  const uint8_t expected[] = {3, 0, 0, 0, 'a', 'b', 'c'};
  ASSERT_EQ(chunk.Size(), 7);
  EXPECT_EQ(std::memcmp(chunk.GetData(), expected, 7), 0);
  chunk.Clear();
  chunk.Put(1.0);
  const uint8_t one[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(std::memcmp(chunk.GetData(), one, 8), 0);
}

ByteChunk ChunkWithLength(int32_t length, int bytesAfter) {
  ByteChunk chunk;
  chunk.Put(length);
  for (int i = 0; i < bytesAfter; ++i)
    chunk.Put(static_cast<uint8_t>('a' + i));
  return chunk;
}

struct HostileCase {
  const char* what;
  int32_t length;
  int bytesAfter;
  int position;
};

class ByteChunkHostileString : public ::testing::TestWithParam<HostileCase> {};

TEST_P(ByteChunkHostileString, FailsAndLeavesTheStringUnchanged) {
  const HostileCase c = GetParam();
  const ByteChunk chunk = ChunkWithLength(c.length, c.bytesAfter);
  HeapString s("kept");
  EXPECT_EQ(chunk.GetStr(s, c.position), -1) << c.what;
  EXPECT_STREQ(s.Get(), "kept") << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, ByteChunkHostileString,
                         ::testing::Values(HostileCase{"length runs past the end", 10, 5, 0},
                                           HostileCase{"negative length", -1, 5, 0},
                                           HostileCase{"very negative length", INT32_MIN, 5, 0},
                                           HostileCase{"length that overflows 32 bits", INT32_MAX, 5, 0},
                                           HostileCase{"length just past the end", 6, 5, 0},
                                           HostileCase{"fewer than 4 bytes left", 1, 1, 2},
                                           HostileCase{"negative position", 1, 1, -4},
                                           HostileCase{"position beyond the end", 1, 1, 100},
                                           HostileCase{"huge position", 1, 1, INT_MAX - 2}));

TEST(ByteChunk, StringReadStopsAtEmbeddedNulButAdvancesByTheStoredLength) {
  ByteChunk chunk;
  chunk.Put(int32_t{5});
  chunk.PutBytes("ab\0cd", 5);
  chunk.Put(int32_t{42});
  HeapString s;
  const int next = chunk.GetStr(s, 0);
  EXPECT_EQ(next, 9);
  EXPECT_STREQ(s.Get(), "ab");
  int32_t after = 0;
  EXPECT_EQ(chunk.Get(&after, next), 13);
  EXPECT_EQ(after, 42);
}

TEST(ByteChunk, ValueReadsAreBoundsChecked) {
  ByteChunk chunk;
  chunk.Put(int32_t{1});
  chunk.Put(int16_t{2});
  double d = 99;
  EXPECT_EQ(chunk.Get(&d, 0), -1) << "6 bytes hold no double";
  EXPECT_EQ(chunk.Get(&d, -8), -1);
  EXPECT_EQ(chunk.Get(&d, INT_MAX - 4), -1);
  EXPECT_EQ(d, 99);
  int16_t v = 0;
  EXPECT_EQ(chunk.Get(&v, 4), 6);
}

TEST(ByteChunk, AppendingItselfDoublesTheBytes) {
  ByteChunk chunk;
  for (int i = 0; i < 3000; ++i)
    chunk.Put(static_cast<uint8_t>(i));
  chunk.PutChunk(chunk); // grows past its first page while copying from itself
  ASSERT_EQ(chunk.Size(), 6000);
  EXPECT_EQ(std::memcmp(chunk.GetData(), chunk.GetData() + 3000, 3000), 0);
}

} // namespace

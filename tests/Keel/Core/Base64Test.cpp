// Base64 encoding vectors and the page transport's lenient decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Keel/Core/Base64.h"

namespace {

std::string Encode(const std::string& bytes) {
  std::vector<char> out(static_cast<size_t>(keel::Base64EncodedBufferSize(static_cast<int>(bytes.size()))),
                        '#');
  keel::Base64EncodeToBuffer(bytes.data(), out.data(), static_cast<int>(bytes.size()));
  EXPECT_EQ(out.back(), '\0') << "the caller's buffer is exactly filled, NUL included";
  return out.data();
}

std::string Decode(const std::string& text) {
  std::vector<unsigned char> out(
      static_cast<size_t>(keel::Base64DecodedSize(text.data(), static_cast<int>(text.size()))) + 1, 0xEE);
  const int n = keel::Base64DecodeToBuffer(text.data(), static_cast<int>(text.size()), out.data());
  EXPECT_EQ(out[static_cast<size_t>(n)], 0xEE) << "no byte written past the decoded size";
  return std::string(out.begin(), out.begin() + n);
}

struct Vector {
  std::string bytes;
  std::string text;
};

class Base64Vectors : public ::testing::TestWithParam<Vector> {};

TEST_P(Base64Vectors, EncodeAndDecodeMatchTheStandard) {
  EXPECT_EQ(Encode(GetParam().bytes), GetParam().text);
  EXPECT_EQ(Decode(GetParam().text), GetParam().bytes);
}

// RFC 4648 test vectors plus bytes that reach the last two alphabet characters.
INSTANTIATE_TEST_SUITE_P(Rfc4648, Base64Vectors,
                         ::testing::Values(Vector{"", ""}, Vector{"f", "Zg=="}, Vector{"fo", "Zm8="},
                                           Vector{"foo", "Zm9v"}, Vector{"foob", "Zm9vYg=="},
                                           Vector{"fooba", "Zm9vYmE="}, Vector{"foobar", "Zm9vYmFy"},
                                           Vector{std::string("\xFB\xFF\xBF", 3), "+/+/"},
                                           Vector{std::string("\0\0\0", 3), "AAAA"}));

TEST(Base64, BufferSizeCountsCharactersPlusNul) {
  EXPECT_EQ(keel::Base64EncodedBufferSize(0), 1);
  EXPECT_EQ(keel::Base64EncodedBufferSize(1), 5);
  EXPECT_EQ(keel::Base64EncodedBufferSize(3), 5);
  EXPECT_EQ(keel::Base64EncodedBufferSize(4), 9);
}

TEST(Base64, DecoderStopsAtAForeignCharacterLeavingZeros) {
  const std::string text = "Zm9v*mFy"; // "foobar" with one character spoiled
  ASSERT_EQ(keel::Base64DecodedSize(text.data(), 8), 6);
  EXPECT_EQ(Decode(text), std::string("foo\0\0\0", 6));
}

TEST(Base64Lenient, PaddingOrASingleCharacterDecodesToNothing) {
  unsigned char out[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  for (const char* text : {"", "Q", "=", "==", "====", "========"}) {
    const int n = static_cast<int>(std::strlen(text));
    EXPECT_EQ(keel::Base64DecodedSize(text, n), 0) << '"' << text << '"';
    EXPECT_EQ(keel::Base64DecodeToBuffer(text, n, out), 0) << '"' << text << '"';
  }
  EXPECT_EQ(out[0], 0xAA) << "nothing written";
  EXPECT_EQ(keel::Base64DecodeToBuffer("QQ==", 4, out), 1);
  EXPECT_EQ(out[0], 'A');
}

} // namespace

// Base64 of page payloads: standard encoding, and decoding that skips padding and line breaks anywhere.
#include "library/Base64Payload.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

TEST(Base64Payload, EncodesWithPaddingAndNoLineBreaks) {
  const struct {
    std::string in, out;
  } cases[] = {{"", ""},        {"f", "Zg=="},          {"fo", "Zm8="},
               {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {std::string("\xFB\xFF\x00", 3), "+/8A"}};
  for (const auto& c : cases) {
    const auto bytes = Bytes(c.in);
    EXPECT_EQ(vlm::EncodeBase64(bytes.data(), bytes.size()), c.out);
  }
  const std::vector<std::uint8_t> large(100000, 0xAB);
  const std::string text = vlm::EncodeBase64(large.data(), large.size());
  EXPECT_EQ(text.size(), 133336u);
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(Base64Payload, DecodingSkipsPaddingSpacesAndLineBreaksAndRefusesOtherBytes) {
  const struct {
    const char* text;
    bool ok;
    std::string bytes;
  } cases[] = {
      {"YWJj", true, "abc"},    {"YW Jj\r\n", true, "abc"}, {"YW Jj\r\n====", true, "abc"},
      {"Y=W=J=j", true, "abc"}, {"Zm8=", true, "fo"},       {"", true, ""},
      {"Z", true, ""},          {"====", true, ""},         {"=", true, ""},
      {"YW*Jj", false, "a"},    {"YWJj*", false, "abc"},    {"YWJj\t", false, "abc"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> out{9, 9};
    EXPECT_EQ(vlm::DecodeBase64(c.text, out), c.ok) << c.text;
    EXPECT_EQ(out, Bytes(c.bytes)) << c.text;
  }
}

TEST(Base64Payload, EveryByteValueSurvivesARoundTrip) {
  std::vector<std::uint8_t> all(256 * 3 + 1);
  for (std::size_t i = 0; i < all.size(); ++i)
    all[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(vlm::DecodeBase64(vlm::EncodeBase64(all.data(), all.size()), back));
  EXPECT_EQ(back, all);
}

} // namespace

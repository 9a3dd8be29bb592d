// UTF-8 classes, the looks-like-UTF-8 rule, lenient decoding and the legacy code page reading.
#include "Keel/Platform/UTF8Text.h"
#include "Keel/Platform/StrftimeUTF8.h"

#include <gtest/gtest.h>

using namespace keel;

TEST(UTF8Text, CheckUTF8ClassifiesWellFormedAsciiAndMalformed) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"", 0},
      {"plain ascii", 0},
      {"caf\xC3\xA9", 1},   // two-byte sequence
      {"\xE0\xA0\x80", 1},  // lowest three-byte form
      {"\xE0\x9F\xBF", -1}, // overlong three-byte form
      {"\xEF\xBF\xBD", 1},
      {"\xF0\x90\x80\x80", 1},      // lowest four-byte form
      {"\xF0\x8F\xBF\xBF", -1},     // overlong four-byte form
      {"\xF7\xBF\xBF\xBF", 1},      // F0-F7 lead bytes are all accepted
      {"\xC1\xBF", -1},             // overlong two-byte lead
      {"\x80", -1},                 // stray continuation byte
      {"\xC3", -1},                 // cut sequence
      {"\xC3\xA9\xFF", -1},         // malformed after a good one
      {"\xF8\x88\x80\x80\x80", -1}, // five-byte form
      {"caf\xE9", -1},              // Latin-1
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckUTF8(c.text), c.expected) << c.text;
  EXPECT_EQ(CheckUTF8(static_cast<const char*>(nullptr)), 0);
}

TEST(UTF8Text, LooksLikeUTF8WeighsGoodBytesAgainstBadOnes) {
  struct Case {
    const char* text;
    bool expected;
  };
  const Case cases[] = {
      {"", true},
      {"ascii only", true},
      {"caf\xE9", false},                     // M=0, B=1
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xFF", true}, // M=6 is not below 5 x B = 5
      {"\xC3\xA9\xFF", true},                 // M=2 is not below 3 x 3 / 4 = 2
      {"\xC3\xA9\xFF"
       "a",
       false},                                            // M=2 < 5 and M=2 < 3
      {"\xC3\xA9\xC3\xA9\xFF\xFF", true},                 // M=4 < 10, but 4 >= 3 x 6 / 4 = 4
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xFF\xFF", true}, // M=8 < 10, but 8 >= 3 x 10 / 4 = 7
      {"\xE9t\xE9 \xE0 Paris", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LooksLikeUTF8(c.text), c.expected) << c.text;
}

TEST(UTF8Text, WideFromUTF8DecodesLenientlyAndRefusesLegacyText) {
  EXPECT_EQ(WideFromUTF8("A\xC3\xA9\xF0\x9F\x8E\xB9"), std::u16string(u"A\u00E9\xD83C\xDFB9"));
  // A stray byte is skipped on its own; the rest survives.
  EXPECT_EQ(WideFromUTF8("\xC3\xA9\xC3\xA9\xFFx"), std::u16string(u"\u00E9\u00E9x"));
  // A five-byte form goes as a whole.
  std::string eightAcutes;
  for (int i = 0; i < 8; ++i)
    eightAcutes += "\xC3\xA9";
  EXPECT_EQ(WideFromUTF8(eightAcutes + "\xF8\x88\x80\x80\x80z"),
            std::u16string(u"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9z"));
  // Encoded surrogate halves have no UTF-16 meaning of their own.
  EXPECT_EQ(WideFromUTF8("\xED\xA0\x80"), std::u16string(u"\uFFFD"));
  EXPECT_FALSE(WideFromUTF8("caf\xE9").has_value());
}

TEST(UTF8Text, DisplayTextKeepsAsciiCleansUTF8AndReadsLegacyBytes) {
  EXPECT_EQ(DisplayTextFromBytes("MIDI Out 1"), "MIDI Out 1");
  EXPECT_EQ(DisplayTextFromBytes("\xC3\xA9\xC3\xA9\xC3\xA9\xFF!"), "\xC3\xA9\xC3\xA9\xC3\xA9!");
  EXPECT_EQ(DisplayTextFromBytes("caf\xE9 \x80\x81"), "caf\xC3\xA9 \xE2\x82\xAC\xEF\xBF\xBD");
  EXPECT_EQ(CheckUTF8(DisplayTextFromBytes("\xFF\xFE\xFD")), 1);
}

TEST(UTF8Text, PrefixLengthNeverSplitsACharacter) {
  const std::string text = "a\xC3\xA9\xF0\x9F\x8E\xB9"; // a, e-acute, keyboard
  EXPECT_EQ(UTF8PrefixLength(text, 100), text.size());
  EXPECT_EQ(UTF8PrefixLength(text, 1), 1u);
  EXPECT_EQ(UTF8PrefixLength(text, 2), 1u);
  EXPECT_EQ(UTF8PrefixLength(text, 3), 3u);
  EXPECT_EQ(UTF8PrefixLength(text, 6), 3u);
  EXPECT_EQ(UTF8PrefixLength("a\xA9\xA9\xA9", 2), 2u); // stray bytes are cut anywhere
}

TEST(UTF8Text, StrftimeFormatsUTF8AndCutsAtCharacterBoundaries) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 10;
  t.tm_hour = 9;
  t.tm_min = 5;
  char out[64];
  EXPECT_EQ(strftimeUTF8(out, sizeof out, "%Y-%m-%d %H:%M \xE2\x80\x94 Velmora", &t), 28u);
  EXPECT_STREQ(out, "2026-12-10 09:05 \xE2\x80\x94 Velmora");
  // 19 bytes fit, but the dash would be split: the text stops before it.
  EXPECT_EQ(strftimeUTF8(out, 20, "%Y-%m-%d %H:%M \xE2\x80\x94 Velmora", &t), 17u);
  EXPECT_STREQ(out, "2026-12-10 09:05 ");
  EXPECT_EQ(strftimeUTF8(out, sizeof out, "", &t), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(strftimeUTF8(nullptr, 10, "%Y", &t), 0u);
  EXPECT_EQ(strftimeUTF8(out, sizeof out, nullptr, &t), 0u);
}

// HeapString: setting, inserting, bounded formatting into its own buffer, and C-locale numbers.
#include <gtest/gtest.h>

#include <cstring>

#include "Keel/Core/CommaDecimalLocale.h"
#include "Keel/Core/HeapString.h"

using keel::HeapString;

namespace {

TEST(HeapString, SetTakesTextUpToNulOrMaximum) {
  HeapString s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.Buffer().GetSize(), 0);
  s.Set("abcdef", 3);
  EXPECT_STREQ(s.Get(), "abc");
  s.Set("");
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.Buffer().GetSize(), 1) << "an empty text leaves a lone NUL";
  s.Set("ab\0cd", 5);
  EXPECT_STREQ(s.Get(), "ab");
  EXPECT_EQ(HeapString("xyz", 0).GetLength(), 3);
}

TEST(HeapString, InsertPlacesTextAndKeepsTheRequestedTail) {
  HeapString s("hello world");
  s.Insert(5, ",", 1, 6);
  EXPECT_STREQ(s.Get(), "hello, world");
  s.Insert(5, "!", 1, 0); // keep nothing after the position
  EXPECT_STREQ(s.Get(), "hello!");
  s.Insert(2, "x", 0, 0);
  EXPECT_STREQ(s.Get(), "hello!") << "length 0 clears only at position 0 with nothing kept";
  s.Insert(-1, "x", 1, 0);
  s.Insert(0, "x", -1, 0);
  EXPECT_STREQ(s.Get(), "hello!") << "negative position or length does nothing";
  s.Insert(0, "x", 0, 0);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.Buffer().GetSize(), 1);
}

TEST(HeapString, TextFromItsOwnBufferIsSafe) {
  HeapString s("abcdefgh");
  s.Set(s.Get() + 2);
  EXPECT_STREQ(s.Get(), "cdefgh");
  s.Append(s.Get()); // grows while reading from itself
  EXPECT_STREQ(s.Get(), "cdefghcdefgh");
  for (int i = 0; i < 6; ++i)
    s.AppendFormatted(4096, "%s", s.Get()); // formats its own text into a reallocated buffer
  EXPECT_EQ(s.GetLength(), 12 * 64);
  EXPECT_EQ(std::strncmp(s.Get() + 12 * 63, "cdefghcdefgh", 12), 0);
}

struct FormatCase {
  int maximum;
  const char* expected;
};

class HeapStringFormatting : public ::testing::TestWithParam<FormatCase> {};

TEST_P(HeapStringFormatting, CutsAtTheMaximum) {
  const FormatCase c = GetParam();
  HeapString s("previous text");
  s.SetFormatted(c.maximum, "%s-%i", "hello", 12345); // 11 characters
  EXPECT_STREQ(s.Get(), c.expected);
  EXPECT_EQ(s.Buffer().GetSize(), static_cast<int>(std::strlen(c.expected)) + 1);
}

INSTANTIATE_TEST_SUITE_P(Table, HeapStringFormatting,
                         ::testing::Values(FormatCase{8, "hello-12"}, FormatCase{11, "hello-12345"},
                                           FormatCase{12, "hello-12345"}, FormatCase{0, ""}));

TEST(HeapString, AppendFormattedAddsAtMostTheMaximum) {
  HeapString s("Output ");
  s.AppendFormatted(3, "%i", 123456);
  EXPECT_STREQ(s.Get(), "Output 123");
  s.AppendFormatted(10, "%s", "");
  EXPECT_STREQ(s.Get(), "Output 123");
}

TEST(HeapString, FormatsNumbersInTheCLocaleWhateverTheUserLocale) {
  keeltest::CommaDecimalLocale locale;
  if (!locale.Enter())
    GTEST_SKIP() << "no comma-decimal locale available";
  char global[32];
  std::snprintf(global, sizeof global, "%f", 0.5);
  ASSERT_STREQ(global, "0,500000") << "the process locale really uses a comma";
  HeapString s;
  s.SetFormatted(64, "SPVFD(%i, %f)", 3, 0.25);
  EXPECT_STREQ(s.Get(), "SPVFD(3, 0.250000)");
}

} // namespace

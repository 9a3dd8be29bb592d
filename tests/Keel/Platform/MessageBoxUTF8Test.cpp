// Which texts a message box shows: ASCII as is, UTF-8 cleaned, anything else read in the legacy code page.
#include "Keel/Platform/MessageBoxUTF8.h"

#include <gtest/gtest.h>

using keel::MessageBoxDisplayTexts;

TEST(MessageBoxUTF8, TextsAreTakenAsUTF8OnlyWhenBothLookLikeIt) {
  using Texts = std::pair<std::string, std::string>;
  EXPECT_EQ(MessageBoxDisplayTexts("Audio device failed", "Velmora"),
            Texts("Audio device failed", "Velmora"));
  EXPECT_EQ(MessageBoxDisplayTexts("Port \xC3\xA9l\xC3\xA9ment", "Velmora"),
            Texts("Port \xC3\xA9l\xC3\xA9ment", "Velmora"));
  // Latin-1 bytes are not UTF-8: every byte still shows, read as the legacy code page.
  EXPECT_EQ(MessageBoxDisplayTexts("caf\xE9", "Velmora"), Texts("caf\xC3\xA9", "Velmora"));
  // One text failing the rule sends both the legacy way, as the two are shown by one call.
  EXPECT_EQ(MessageBoxDisplayTexts("caf\xE9", "\xC3\xA9"), Texts("caf\xC3\xA9", "\xC3\x83\xC2\xA9"));
  EXPECT_EQ(MessageBoxDisplayTexts(nullptr, nullptr), Texts("", ""));
}

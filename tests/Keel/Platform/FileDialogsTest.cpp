// File dialog rules that need no display: case-blind patterns and the default extension of a saved name.
#include "Keel/Platform/FileDialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogs, PatternsIgnoreLetterCaseAndStarDotStarMatchesEveryName) {
  EXPECT_EQ(keel::CaseInsensitivePatterns("*.mid;*.midi;*.syx"),
            (std::vector<std::string>{"*.[mM][iI][dD]", "*.[mM][iI][dD][iI]", "*.[sS][yY][xX]"}));
  EXPECT_EQ(keel::CaseInsensitivePatterns("*.80p"), (std::vector<std::string>{"*.80[pP]"}));
  EXPECT_EQ(keel::CaseInsensitivePatterns("*.*"), (std::vector<std::string>{"*"}));
  EXPECT_TRUE(keel::CaseInsensitivePatterns(";;").empty());
}

TEST(FileDialogs, ASavedNameWithoutExtensionGetsTheDefaultOne) {
  const struct {
    const char* path;
    const char* ext;
    const char* out;
  } cases[] = {
      {"/a/b/Bass", "80p", "/a/b/Bass.80p"},     {"/a/b/Bass.txt", "80p", "/a/b/Bass.txt"},
      {"/a/b.d/Bass", "mid", "/a/b.d/Bass.mid"}, {"/a/.hidden", "mid", "/a/.hidden.mid"},
      {"/a/Bass.", "mid", "/a/Bass.mid"},        {"/a/Bass", "", "/a/Bass"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(keel::AppendMissingExtension(c.path, c.ext), c.out) << c.path;
}

} // namespace

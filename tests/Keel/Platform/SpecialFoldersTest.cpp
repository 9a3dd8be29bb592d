// XDG folder lookups and the temporary folder, driven through a fake environment.
#include "Keel/Platform/SpecialFolders.h"

#include "Keel/Platform/ScratchFolder.h"

#include <gtest/gtest.h>

using namespace keel;
using testutil::ScopedEnv;
using testutil::ScratchFolder;

class SpecialFolders : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "TEMP", "TMP", "TMPDIR"})
      env.Unset(name);
    env.Set("HOME", home.Path());
  }
  ScopedEnv env;
  ScratchFolder home;
};

TEST_F(SpecialFolders, TemporaryFolderTriesTempTmpTmpdirThenSlashTmp) {
  EXPECT_EQ(GetTempFolderPath(), "/tmp");
  env.Set("TMPDIR", "/c");
  EXPECT_EQ(GetTempFolderPath(), "/c");
  env.Set("TMP", "/b");
  EXPECT_EQ(GetTempFolderPath(), "/b");
  env.Set("TEMP", "/a");
  EXPECT_EQ(GetTempFolderPath(), "/a");
  env.Set("TEMP", ""); // empty counts as unset
  EXPECT_EQ(GetTempFolderPath(), "/b");
}

TEST_F(SpecialFolders, BaseFoldersPreferAbsoluteXdgVariablesThenHome) {
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::RoamingAppData), home.Path() + "/.config");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::LocalAppData), home.Path() + "/.local/share");
  env.Set("XDG_CONFIG_HOME", "/xdg/config");
  env.Set("XDG_DATA_HOME", "relative/ignored");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::RoamingAppData), "/xdg/config");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::LocalAppData), home.Path() + "/.local/share");
  env.Unset("HOME");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::LocalAppData), "");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::Documents), "");
}

TEST_F(SpecialFolders, DocumentsComeFromUserDirsElseHomeDocuments) {
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::Documents), home.Path() + "/Documents");
  std::filesystem::create_directories(home / ".config");
  testutil::WriteFile(home / ".config/user-dirs.dirs",
                      "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                      "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::Documents), home.Path() + "/Dokumente");
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::Desktop), home.Path() + "/Schreibtisch");
  // The file follows XDG_CONFIG_HOME.
  ScratchFolder config;
  env.Set("XDG_CONFIG_HOME", config.Path());
  EXPECT_EQ(GetSpecialFolderPath(SpecialFolder::Documents), home.Path() + "/Documents");
}

TEST_F(SpecialFolders, UserDirsEntriesAreParsedLikeTheShellWouldRead) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "/home/u/Docs"},
      {"  XDG_DOCUMENTS_DIR=\"/srv/docs/\"", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", "/home/u/My \"Docs\""},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", ""}, // switched off
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n", ""},
      {"XDG_DOCUMENTS_DIR=relative\n", ""},
      {"XDG_DOCUMENTS_DIR=\"$HOME/unterminated\n", ""},
      {"#XDG_DOCUMENTS_DIR=\"/commented\"\n", ""},
      {"XDG_DOCUMENTS_DIRX=\"/other\"\nXDG_DOCUMENTS_DIR=\"/right\"\n", "/right"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseUserDirsEntry(c.text, "XDG_DOCUMENTS_DIR", "/home/u"), c.expected) << c.text;
}

TEST_F(SpecialFolders, BufferFormCreatesOnRequestAndFailsWhenTooSmall) {
  env.Set("XDG_DATA_HOME", home / "data/deep");
  char out[4096];
  ASSERT_TRUE(SHGetSpecialFolderPathUTF8(nullptr, out, sizeof out, SpecialFolder::LocalAppData, true));
  EXPECT_EQ(std::string(out), home / "data/deep");
  EXPECT_TRUE(std::filesystem::is_directory(out));
  char small[8] = "xxxxxxx";
  EXPECT_FALSE(SHGetSpecialFolderPathUTF8(nullptr, small, sizeof small, SpecialFolder::LocalAppData, false));
  EXPECT_STREQ(small, "");
}

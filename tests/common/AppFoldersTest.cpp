// Per-user folders through a fake environment: each step of the fallback chain, and the documents root.
#include "common/AppFolders.h"

#include "Keel/Platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

using testutil::ScopedEnv;
using testutil::ScratchFolder;

class AppFolders : public ::testing::Test {
protected:
  void SetUp() override {
    env.Unset("XDG_CONFIG_HOME");
    env.Set("HOME", home.Path());
    previousCwd = std::filesystem::current_path();
    std::filesystem::current_path(cwd.Path());
  }
  void TearDown() override { std::filesystem::current_path(previousCwd); }
  std::string Cwd() const { return std::filesystem::current_path().string(); }
  ScopedEnv env;
  ScratchFolder home, cwd;
  std::filesystem::path previousCwd;
};

TEST_F(AppFolders, AppDataFallsBackFromXdgToHomeToTheCurrentFolder) {
  env.Set("XDG_CONFIG_HOME", "/xdg/config");
  EXPECT_EQ(GetAppDataFolder(), "/xdg/config/Velmora");
  env.Unset("XDG_CONFIG_HOME");
  EXPECT_EQ(GetAppDataFolder(), home.Path() + "/.config/Velmora");
  env.Unset("HOME");
  EXPECT_EQ(GetAppDataFolder(), Cwd());                    // the current folder itself, without "Velmora"
  EXPECT_FALSE(std::filesystem::exists(home / ".config")); // nothing created
}

TEST_F(AppFolders, DocumentsFollowUserDirsThenHomeThenTheCurrentFolder) {
  EXPECT_EQ(GetDocumentsFolder(), home.Path() + "/Documents");
  std::filesystem::create_directories(home / ".config");
  testutil::WriteFile(home / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(GetDocumentsFolder(), home.Path() + "/Dokumente");
  env.Unset("HOME");
  EXPECT_EQ(GetDocumentsFolder(), Cwd());
}

TEST_F(AppFolders, UserDocumentsFolderIsCreatedWithItsParents) {
  std::filesystem::create_directories(home / ".config");
  testutil::WriteFile(home / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/deep/er/Docs\"\n");
  const std::string folder = GetUserDocumentsFolder();
  EXPECT_EQ(folder, home.Path() + "/deep/er/Docs/Velmora");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  // A folder that cannot be made is still named.
  testutil::WriteFile(home / "blocked", "a file");
  testutil::WriteFile(home / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/blocked\"\n");
  EXPECT_EQ(GetUserDocumentsFolder(), home.Path() + "/blocked/Velmora");
}

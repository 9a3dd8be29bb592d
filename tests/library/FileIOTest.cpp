// Whole-file reads and crash-safe writes: error texts with the path, the JSON file text, folders made first.
#include "library/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "../Keel/Platform/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using testutil::ReadFile;
using testutil::ScratchFolder;
using testutil::WriteFile;

TEST(FileIO, ReadingGivesTheWholeFileOrTheOpenErrorWithThePath) {
  ScratchFolder dir;
  std::vector<std::uint8_t> bytes{1, 2, 3};
  std::string error = "untouched";
  WriteFile(dir / "empty.bin", "");
  EXPECT_TRUE(vlm::ReadFileBytes(dir / "empty.bin", bytes, error));
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(error, "untouched");

  WriteFile(dir / "data.bin", std::string("a\0\xFFz", 4));
  ASSERT_TRUE(vlm::ReadFileBytes(dir / "data.bin", bytes, error));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'a', 0, 0xFF, 'z'}));

  EXPECT_FALSE(vlm::ReadFileBytes(dir / "missing.bin", bytes, error));
  EXPECT_EQ(error, "Failed to open file: " + (dir / "missing.bin"));
}

TEST(FileIO, JsonReadingRefusesTrailingTextAndCommentsWithTheParseError) {
  ScratchFolder dir;
  nlohmann::json value;
  std::string error;
  const struct {
    const char* text;
    bool ok;
  } cases[] = {
      {"{} x", false},       {"{\"a\": 1} // note", false},   {"", false},
      {" [1, 2]\n\n", true}, {"{\"a\": \"\xC3\xA9\"}", true},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "doc.json", c.text);
    error.clear();
    EXPECT_EQ(vlm::ReadJsonFile(dir / "doc.json", value, error), c.ok) << c.text;
    EXPECT_EQ(error, c.ok ? "" : "Failed to parse JSON: " + (dir / "doc.json")) << c.text;
  }
  EXPECT_FALSE(vlm::ReadJsonFile(dir / "none.json", value, error));
  EXPECT_EQ(error, "Failed to open file: " + (dir / "none.json"));
}

TEST(FileIO, JsonFileTextHasSortedKeysTwoSpaceIndentUtf8AndAFinalLineFeed) {
  ScratchFolder dir;
  const nlohmann::json value = {{"b", 1}, {"a", {true}}, {"name", "Caf\xC3\xA9"}};
  std::string error;
  ASSERT_TRUE(vlm::WriteJsonFile(dir / "out.json", value, error)) << error;
  EXPECT_EQ(ReadFile(dir / "out.json"),
            "{\n  \"a\": [\n    true\n  ],\n  \"b\": 1,\n  \"name\": \"Caf\xC3\xA9\"\n}\n");
}

TEST(FileIO, JsonWithInvalidUtf8IsWrittenWithReplacementCharacters) {
  ScratchFolder dir;
  std::string error;
  ASSERT_TRUE(vlm::WriteJsonFile(dir / "names.json", {{"path", "caf\xE9"}}, error));
  EXPECT_EQ(ReadFile(dir / "names.json"), "{\n  \"path\": \"caf\xEF\xBF\xBD\"\n}\n");
}

TEST(FileIO, WritingMakesMissingFoldersReplacesOldContentAndLeavesNoTemporaryFile) {
  ScratchFolder dir;
  const std::string path = dir / "a/b/c/file.bin";
  std::string error;
  ASSERT_TRUE(vlm::WriteFileBytes(path, "longer old text", 15, error)) << error;
  ASSERT_TRUE(vlm::WriteFileBytes(path, "new", 3, error)) << error;
  EXPECT_EQ(ReadFile(path), "new");
  ASSERT_TRUE(vlm::WriteFileBytes(path, nullptr, 0, error));
  EXPECT_EQ(ReadFile(path), "");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir / "a/b/c"))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(FileIO, ReplacingAFileKeepsItsPermissions) {
  ScratchFolder dir;
  WriteFile(dir / "private.json", "{}");
  fs::permissions(dir / "private.json", fs::perms::owner_read | fs::perms::owner_write);
  std::string error;
  ASSERT_TRUE(vlm::WriteJsonFile(dir / "private.json", {{"a", 1}}, error)) << error;
  EXPECT_EQ(fs::status(dir / "private.json").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileIO, WritingThroughALinkKeepsTheLinkAndChangesItsFile) {
  ScratchFolder dir;
  WriteFile(dir / "real.txt", "old");
  fs::create_symlink(dir / "real.txt", dir / "link.txt");
  std::string error;
  ASSERT_TRUE(vlm::WriteFileBytes(dir / "link.txt", "new", 3, error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFile(dir / "real.txt"), "new");
}

TEST(FileIO, WriteFailuresNameTheirStepAndPath) {
  ScratchFolder dir;
  WriteFile(dir / "plain", "x");
  fs::create_directory(dir / "folder");
  std::string error;
  EXPECT_FALSE(vlm::WriteFileBytes(dir / "plain/sub/file.bin", "x", 1, error));
  EXPECT_EQ(error, "Failed to create destination folder: " + (dir / "plain/sub"));
  EXPECT_FALSE(vlm::WriteJsonFile(dir / "folder", {{"a", 1}}, error));
  EXPECT_EQ(error, "Failed to open file for writing: " + (dir / "folder"));
  if (::geteuid() != 0) { // root writes into read-only folders
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(vlm::WriteFileBytes(dir / "locked/f.bin", "x", 1, error));
    EXPECT_EQ(error, "Failed to open file for writing: " + (dir / "locked/f.bin"));
    fs::permissions(dir / "locked", fs::perms::owner_all);
  }
}

} // namespace

namespace {

// The names in the folder tree that are temporary files of the given writer.
std::vector<std::string> TemporaryFilesOf(const fs::path& dir, pid_t pid) {
  std::vector<std::string> found;
  const std::string mark = ".tmp-" + std::to_string(pid) + "-";
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.path().filename().string().find(mark) != std::string::npos)
      found.push_back(entry.path().filename().string());
  return found;
}

TEST(FileIO, ASaveKilledWhileWritingLeavesNoTemporaryFileAfterTheNextStart) {
  ScratchFolder dir;
  const std::string big(2 << 20, 'x');
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    std::string error;
    for (;;)
      vlm::WriteFileBytes(dir / "song.80p", big.data(), big.size(), error);
  }
  ::usleep(150 * 1000);
  ::kill(writer, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(writer, &status, 0), writer);
  // A file system without unnamed files leaves a named one behind; so does a kill between naming and
  // renaming. Both kinds, as that writer would have named them, in the folder and below it.
  WriteFile(dir / ("a.80p.tmp-" + std::to_string(writer) + "-7"), "half");
  fs::create_directories(dir / "sub");
  WriteFile(dir / ("sub/b.json.tmp-" + std::to_string(writer) + "-8"), "half");
  // A live writer's file and names that only look alike are not ours to remove.
  const std::string live = "c.80p.tmp-" + std::to_string(::getpid()) + "-1";
  WriteFile(dir / live, "writing");
  WriteFile(dir / "notes.tmp-x-1", "user");
  WriteFile(dir / ".tmp-5-5", "user");

  vlm::RemoveStaleTemporaryFiles(dir.Path(), true); // what the next start does
  EXPECT_TRUE(TemporaryFilesOf(dir.Path(), writer).empty());
  EXPECT_TRUE(fs::exists(dir / live));
  EXPECT_TRUE(fs::exists(dir / "notes.tmp-x-1"));
  EXPECT_TRUE(fs::exists(dir / ".tmp-5-5"));
  // The target is whole or absent, never half written.
  if (fs::exists(dir / "song.80p"))
    EXPECT_EQ(fs::file_size(dir / "song.80p"), big.size());
}

} // namespace

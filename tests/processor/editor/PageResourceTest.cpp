// The embedded page, the rules for its copy on disk, and which way the page reaches the browser control.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "processor/editor/PageResource.h"

namespace {

using namespace editortest;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Records which way the page went.
struct Loads {
  std::vector<std::string> files;
  std::vector<std::string> html;
  vlm::PageTarget Target() {
    return {[this](const char* p) { files.emplace_back(p); },
            [this](const char* h) { html.emplace_back(h); }};
  }
};

class PageResource : public ::testing::Test {
protected:
  void SetUp() override {
    folder = FolderEnvironment::Dir() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder);
    fs::create_directories(folder);
    copy = vlm::GetEditorPageCopyPath(folder.string());
  }
  fs::path folder;
  std::string copy;
  const std::string page = "<!doctype html><title>Velmora</title><p>editor</p>";
};

TEST_F(PageResource, TheBinaryCarriesTheBuiltPage) {
  const std::string_view embedded = vlm::GetEmbeddedEditorPage();
  ASSERT_GT(embedded.size(), 1000u);
  EXPECT_NE(std::string_view::npos, embedded.substr(0, 200).find("<html"));
  EXPECT_EQ('\0', embedded.data()[embedded.size()]); // usable as one C string
  EXPECT_EQ(std::string_view::npos, embedded.find('\0'));
}

TEST_F(PageResource, ACopyIsWrittenWhenMissingAndLeftAloneWhenCurrent) {
  EXPECT_EQ((folder / "web" / "index.html").string(), copy);
  vlm::PageCopyResult r = vlm::EnsureEditorPageCopy(copy, page);
  EXPECT_TRUE(r.current);
  EXPECT_TRUE(r.written);
  EXPECT_EQ(page, ReadText(copy));

  struct stat before {};
  ASSERT_EQ(0, ::stat(copy.c_str(), &before));
  r = vlm::EnsureEditorPageCopy(copy, page);
  EXPECT_TRUE(r.current);
  EXPECT_FALSE(r.written);
  struct stat after {};
  ASSERT_EQ(0, ::stat(copy.c_str(), &after));
  EXPECT_EQ(before.st_ino, after.st_ino); // not even replaced by an equal file
  // No temporary file is left behind.
  EXPECT_EQ(1, std::distance(fs::directory_iterator(fs::path(copy).parent_path()), fs::directory_iterator()));
}

TEST_F(PageResource, TheTemporaryCopyOfAProcessKilledWhileWritingIsRemovedAtTheNextStart) {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(0);
  ::waitpid(child, nullptr, 0); // its id now names no process, as with a program killed mid-write
  const std::string leftover = copy + ".tmp-" + std::to_string(child);
  const std::string living = copy + ".tmp-" + std::to_string(::getppid());
  WriteText(leftover, page.substr(0, 5));
  WriteText(living, page.substr(0, 5));
  WriteText(copy, page);
  EXPECT_TRUE(vlm::EnsureEditorPageCopy(copy, page).current);
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_TRUE(fs::exists(living)); // another instance may be writing it right now
}

TEST_F(PageResource, ACopyThatDiffersInOneByteOrInSizeIsRewritten) {
  std::string changed = page;
  changed[10] ^= 1;
  for (const std::string& old : {changed, page + " ", page.substr(0, page.size() - 1), std::string()}) {
    WriteText(copy, old);
    const vlm::PageCopyResult r = vlm::EnsureEditorPageCopy(copy, page);
    EXPECT_TRUE(r.current);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(page, ReadText(copy));
  }
}

TEST_F(PageResource, ACurrentCopyIsShownFromDisk) {
  const std::string before = LogText();
  Loads loads;
  vlm::ShowEditorPage(page, folder.string(), loads.Target());
  ASSERT_EQ(1u, loads.files.size());
  EXPECT_EQ(copy, loads.files[0]);
  EXPECT_TRUE(loads.html.empty());
  const std::string log = LogSince(before);
  const size_t size =
      log.find("] LoadIndexHtml[Release]: embedded RCDATA " + std::to_string(page.size()) + " bytes\n");
  const size_t file = log.find("] LoadIndexHtml[Release]: LoadFile (virtual host) " + copy + "\n");
  ASSERT_NE(std::string::npos, size);
  ASSERT_NE(std::string::npos, file);
  EXPECT_LT(size, file);
}

TEST_F(PageResource, AStaleCopyThatCannotBeReplacedIsNeverShown) {
  WriteText(copy, "<p>an old page</p>");
  // A folder where the temporary file would go: the write fails, for the superuser too.
  fs::create_directories(copy + ".tmp-" + std::to_string(::getpid()));
  const std::string before = LogText();
  Loads loads;
  vlm::ShowEditorPage(page, folder.string(), loads.Target());
  EXPECT_TRUE(loads.files.empty());
  ASSERT_EQ(1u, loads.html.size());
  EXPECT_EQ(page, loads.html[0]);
  EXPECT_EQ("<p>an old page</p>", ReadText(copy));
  const std::string log = LogSince(before);
  const size_t failed = log.find("] LoadIndexHtml[Release]: disk extract failed (");
  const size_t fallback =
      log.find("] LoadIndexHtml[Release]: fallback NavigateToString (may fail if >2MB)\n");
  ASSERT_NE(std::string::npos, failed);
  ASSERT_NE(std::string::npos, fallback);
  EXPECT_LT(failed, fallback);
}

TEST_F(PageResource, AnUnwritableDataFolderStillShowsThePageFromItsText) {
  // A data "folder" that is a file: nothing can be created below it, for the superuser too.
  const fs::path blocked = folder / "not-a-folder";
  WriteText(blocked, "x");
  copy = vlm::GetEditorPageCopyPath(blocked.string());
  Loads loads;
  vlm::ShowEditorPage(page, blocked.string(), loads.Target());
  EXPECT_TRUE(loads.files.empty());
  ASSERT_EQ(1u, loads.html.size());
  EXPECT_EQ(page, loads.html[0]);
  EXPECT_FALSE(fs::exists(copy));
}

TEST_F(PageResource, AMissingPageFallsBackToTheBareFileName) {
  const std::string before = LogText();
  Loads loads;
  vlm::ShowEditorPage("", folder.string(), loads.Target());
  ASSERT_EQ(1u, loads.files.size());
  EXPECT_EQ("index.html", loads.files[0]);
  EXPECT_NE(std::string::npos,
            LogSince(before).find(
                "] LoadIndexHtml[Release]: embedded resource path failed, falling back to __FILE__\n"));
}

} // namespace

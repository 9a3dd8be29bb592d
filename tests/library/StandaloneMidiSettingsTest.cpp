// standalone-midi.json: exact text written, read back, and what a bad file leaves.
#include "library/StandaloneMidiSettings.h"

#include <gtest/gtest.h>

#include "tests/processor/SettingsTestSupport.h"

namespace {

namespace fs = std::filesystem;
using settingstest::Count;
using settingstest::ReadText;
using settingstest::WriteText;

settingstest::ProcessFolders gFolders;

class StandaloneMidiSettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder = gFolders.Root() / ::testing::UnitTest::GetInstance()->current_test_info()->name() / "Velmora";
    GetLogger().Log("StandaloneMidiSettingsTest: start");
    mLogMark = settingstest::LogText().size();
  }
  std::string Log() const { return settingstest::LogText().substr(mLogMark); }
  fs::path file() const { return folder / "standalone-midi.json"; }

  fs::path folder;
  std::size_t mLogMark = 0;
};

TEST_F(StandaloneMidiSettingsTest, WritesTheExactTextAndReadsItBack) {
  // The folder does not exist yet: the save creates it.
  ASSERT_TRUE(vlm::SaveStandaloneMidiNames(folder.string(), {"MKS \"80\" in 2", "Ünïcode out"}));
  EXPECT_EQ(ReadText(file()), "{\n  \"in\": \"MKS \\\"80\\\" in 2\",\n  \"out\": \"Ünïcode out\"\n}\n");
  vlm::StandaloneMidiNames names;
  ASSERT_TRUE(vlm::LoadStandaloneMidiNames(folder.string(), names));
  EXPECT_EQ(names.in, "MKS \"80\" in 2");
  EXPECT_EQ(names.out, "Ünïcode out");
  ASSERT_TRUE(vlm::SaveStandaloneMidiNames(folder.string(), {}));
  EXPECT_EQ(ReadText(file()), "{\n  \"in\": \"\",\n  \"out\": \"\"\n}\n");
}

TEST_F(StandaloneMidiSettingsTest, AMissingFileIsQuietAndBadFilesAreLogged) {
  vlm::StandaloneMidiNames names{"x", "y"};
  EXPECT_FALSE(vlm::LoadStandaloneMidiNames(folder.string(), names));
  EXPECT_EQ(names.in, "");
  EXPECT_EQ(Count(Log(), "StandaloneMidi"), 0);

  WriteText(file(), "{\"in\": ");
  EXPECT_FALSE(vlm::LoadStandaloneMidiNames(folder.string(), names));
  WriteText(file(), "[\"in\"]");
  EXPECT_FALSE(vlm::LoadStandaloneMidiNames(folder.string(), names));
  const std::string log = Log();
  EXPECT_EQ(Count(log, "StandaloneMidi: load failed/invalid (Failed to parse JSON: " + file().string() + ")"),
            1)
      << log;
  EXPECT_EQ(Count(log, "StandaloneMidi: load failed/invalid (not a JSON object)"), 1) << log;
}

TEST_F(StandaloneMidiSettingsTest, AMemberThatIsNotTextReadsAsNone) {
  WriteText(file(), "{\"in\": 5, \"out\": \"MKS Link 1\", \"extra\": true}");
  vlm::StandaloneMidiNames names;
  ASSERT_TRUE(vlm::LoadStandaloneMidiNames(folder.string(), names));
  EXPECT_EQ(names.in, "");
  EXPECT_EQ(names.out, "MKS Link 1");
}

TEST_F(StandaloneMidiSettingsTest, ASaveFailureIsLogged) {
  WriteText(folder.parent_path() / "blocker", "a file where a folder should be");
  const fs::path blocked = folder.parent_path() / "blocker" / "Velmora";
  EXPECT_FALSE(vlm::SaveStandaloneMidiNames(blocked.string(), {"a", "b"}));
  EXPECT_EQ(Count(Log(), "StandaloneMidi: save failed ("), 1);
}

} // namespace

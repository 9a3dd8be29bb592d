// The remembered editor size: reading window-state.json (defaults and invalid files with their log lines),
// the save 400 ms after the last change with the file's exact text, and failed writes (retried, given up when
// the editor closes, logged at most 100 times).
#include <gtest/gtest.h>

#include <string>

#include "processor/window/WindowState.h"
#include "tests/processor/SettingsTestSupport.h"

namespace {

using namespace settingstest;
using vlm::EditorSize;
using vlm::WindowState;

const ProcessFolders& kFolders = Folders();

TEST(WindowState, AMissingFileKeepsTheDefaultSize) {
  const FreshUserFolders user;
  WindowState state;
  EXPECT_FALSE(state.Load().has_value());
  EXPECT_EQ((EditorSize{1180, 760}), state.Saved());
  EXPECT_EQ(1, Count(LogText(), "WindowState: " + user.WindowStateFile().string() +
                                    " not found, using default editor size"));
}

TEST(WindowState, AStoredSizeIsClampedIntoTheLimitsAndSeedsTheEditor) {
  const std::pair<const char*, EditorSize> cases[] = {
      {R"({"editorWidth": 1300, "editorHeight": 800})", {1300, 800}},
      {R"({"editorWidth": 100, "editorHeight": 200000, "other": true})", {910, 100000}},
      {R"({"editorWidth": -4000, "editorHeight": 99999999999})", {910, 100000}},
  };
  for (const auto& [text, expected] : cases) {
    const FreshUserFolders user;
    WriteText(user.WindowStateFile(), text);
    WindowState state;
    EXPECT_EQ(expected, state.Load()) << text;
    EXPECT_EQ(expected, state.Saved());
    EXPECT_LE(1,
              Count(LogText(), "WindowState: seeded new-instance editor size " +
                                   std::to_string(expected.width) + "x" + std::to_string(expected.height)));
  }
}

TEST(WindowState, InvalidStoredSizesFallBackToTheDefaultWithTheirLogLine) {
  const std::string keysLine = "WindowState: missing/invalid size keys, using default";
  for (const char* text : {R"({"editorWidth": 1300, "editorHeight": 700.5})", R"({"editorWidth": 1300})",
                           R"({"editorWidth": "1300", "editorHeight": 800})",
                           R"({"editorWidth": 1300.0, "editorHeight": 800})"}) {
    const FreshUserFolders user;
    WriteText(user.WindowStateFile(), text);
    const int before = Count(LogText(), keysLine);
    WindowState state;
    EXPECT_FALSE(state.Load().has_value()) << text;
    EXPECT_EQ(before + 1, Count(LogText(), keysLine)) << text;
  }
  {
    const FreshUserFolders user;
    WriteText(user.WindowStateFile(), "[1300, 800]");
    WindowState state;
    EXPECT_FALSE(state.Load().has_value());
    EXPECT_LE(1, Count(LogText(), "WindowState: load failed/invalid ()"));
  }
  {
    const FreshUserFolders user;
    WriteText(user.WindowStateFile(), "{\"editorWidth\": 1300,");
    WindowState state;
    EXPECT_FALSE(state.Load().has_value());
    EXPECT_EQ(1, Count(LogText(), "WindowState: load failed/invalid (Failed to parse JSON: " +
                                      user.WindowStateFile().string() + ")"));
  }
}

TEST(WindowState, ADragIsSavedOnce400MsAfterItStops) {
  const FreshUserFolders user;
  WindowState state;
  state.Load();
  state.Record(1200, 780, 1000);
  state.Record(1250, 790, 1300); // still moving: the deadline moves with it
  state.Save(false, 1699);
  EXPECT_FALSE(fs::exists(user.WindowStateFile()));
  EXPECT_TRUE(state.IsSavePending());
  state.Save(false, 1700);
  EXPECT_FALSE(state.IsSavePending());
  EXPECT_EQ("{\n  \"editorHeight\": 790,\n  \"editorWidth\": 1250\n}\n", ReadText(user.WindowStateFile()));
  const std::string savedLine =
      "WindowState: saved editor size 1250x790 to " + user.WindowStateFile().string();
  EXPECT_EQ(1, Count(LogText(), savedLine));
  state.Save(false, 5000);
  state.Record(1250, 790, 5000); // the saved size again: nothing to do
  EXPECT_FALSE(state.IsSavePending());
  EXPECT_EQ(1, Count(LogText(), savedLine));
}

TEST(WindowState, SizesThatChangeNothingAreNotRecorded) {
  const FreshUserFolders user;
  WindowState state;
  state.Load();
  for (const EditorSize size : {EditorSize{1180, 760}, EditorSize{0, 700}, EditorSize{900, -1}})
    state.Record(size.width, size.height, 0);
  EXPECT_FALSE(state.IsSavePending());
  // Back to the saved size before the deadline: the pending mark is simply cleared.
  state.Record(1300, 800, 0);
  state.Record(1180, 760, 100);
  state.Save(false, 1000);
  EXPECT_FALSE(state.IsSavePending());
  EXPECT_FALSE(fs::exists(user.WindowStateFile()));
}

TEST(WindowState, AForcedSaveWritesAtOnce) {
  const FreshUserFolders user;
  WindowState state;
  state.Load();
  state.Record(1400, 900, 0);
  state.Save(true, 10);
  EXPECT_EQ("{\n  \"editorHeight\": 900,\n  \"editorWidth\": 1400\n}\n", ReadText(user.WindowStateFile()));
}

TEST(WindowState, FailedWritesAreRetriedEachSecondAndGivenUpWhenTheEditorCloses) {
  const FreshUserFolders user;
  WriteText(user.AppData(), "a file where the folder should be");
  const std::string failedLine =
      "WindowState: save failed (Failed to create destination folder: " + user.AppData().string() + ")";
  const int before = Count(LogText(), failedLine);
  WindowState state;
  state.Record(1300, 800, 0);
  state.Save(false, 400);
  EXPECT_TRUE(state.IsSavePending());
  EXPECT_EQ(1400, state.SaveDeadlineMs());
  state.Save(false, 1399); // not due again yet
  EXPECT_EQ(before + 1, Count(LogText(), failedLine));
  state.Save(true, 1399); // the editor closes: one last attempt
  EXPECT_EQ(before + 2, Count(LogText(), failedLine));
  EXPECT_FALSE(state.IsSavePending());
  state.Save(false, 100000);
  EXPECT_EQ(before + 2, Count(LogText(), failedLine));
}

TEST(WindowState, RepeatedFailuresLogAtMost100Lines) {
  const FreshUserFolders user;
  WriteText(user.AppData(), "a file where the folder should be");
  const std::string failedLine =
      "WindowState: save failed (Failed to create destination folder: " + user.AppData().string() + ")";
  WindowState state;
  state.Record(1300, 800, 0);
  std::int64_t now = 400;
  for (int attempt = 0; attempt < 150; ++attempt, now += WindowState::kRetryDelayMs)
    state.Save(false, now);
  EXPECT_TRUE(state.IsSavePending());
  EXPECT_EQ(WindowState::kMaxFailureLines, Count(LogText(), failedLine));
  // Once writing works again the size is saved, and a later run of failures is reported afresh.
  fs::remove(user.AppData());
  state.Save(false, now);
  EXPECT_FALSE(state.IsSavePending());
  EXPECT_EQ("{\n  \"editorHeight\": 800,\n  \"editorWidth\": 1300\n}\n", ReadText(user.WindowStateFile()));
}

} // namespace

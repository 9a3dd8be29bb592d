// The processor's preferences and editor sizing as the page and the window reach them: first-run seeding at
// construction, tag 205 and the knob mode, tag 100 resize requests clamped into the limits, and the editor
// size remembered in window-state.json. One instance serves every test (it is large); it has no window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "tests/processor/SettingsTestSupport.h"

namespace {

using namespace settingstest;

// Takeover modes.
constexpr int kJump = 0, kPickup = 1, kScaling = 2;

// A Japanese first run: fresh per-user folders and LANG=ja_JP.UTF-8 before the instance is made.
class ProcessorEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    Folders();
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    mUser = std::make_unique<FreshUserFolders>();
    mProcessor.reset(CreatePluginInstance({}));
  }
  void TearDown() override { mProcessor.reset(); }
  static Velmora& Processor() { return *mProcessor; }
  static const FreshUserFolders& FirstRunUser() { return *mUser; }

private:
  static inline std::unique_ptr<Velmora> mProcessor;
  static inline std::unique_ptr<FreshUserFolders> mUser;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ProcessorEnvironment);

bool SendText(int tag, const std::string& text) {
  return ProcessorEnvironment::Processor().OnMessage(tag, -1, static_cast<int>(text.size()), text.data());
}

bool SendResize(int width, int height) {
  unsigned char bytes[8];
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<unsigned char>(static_cast<std::uint32_t>(width) >> (8 * i));
    bytes[4 + i] = static_cast<unsigned char>(static_cast<std::uint32_t>(height) >> (8 * i));
  }
  return ProcessorEnvironment::Processor().OnMessage(vlm::MsgTag::kResizeEditor, -1, 8, bytes);
}

vlm::EditorSize EditorSizeOf(const Velmora& p) {
  return {p.GetEditorWidth(), p.GetEditorHeight()};
}

TEST(VelmoraPrefs, AJapaneseFirstRunSeedsTheLanguageAndWritesNoFile) {
  const Velmora& p = ProcessorEnvironment::Processor();
  const FreshUserFolders& user = ProcessorEnvironment::FirstRunUser();
  EXPECT_EQ(R"({"lang":"ja"})", p.GetUIPrefsText());
  EXPECT_EQ(kScaling, p.GetTakeoverMode());
  EXPECT_FALSE(fs::exists(user.Prefs()));
  const std::string log = LogText();
  EXPECT_EQ(1,
            Count(log, "UIPrefs: " + user.Prefs().string() + " not found, seeding lang=ja from OS locale"));
  EXPECT_EQ(1, Count(log, "UIPrefs: knobMode=2"));
  EXPECT_EQ(1, Count(log, "WindowState: " + user.WindowStateFile().string() +
                              " not found, using default editor size"));
  EXPECT_EQ((vlm::EditorSize{1180, 760}), EditorSizeOf(p));
}

TEST(VelmoraPrefs, ThePagesPreferencesAreSavedAndChooseTheTakeoverMode) {
  Velmora& p = ProcessorEnvironment::Processor();
  const FreshUserFolders user;
  ASSERT_TRUE(SendText(vlm::MsgTag::kUIPrefs, R"({"lang":"ja","knobMode":"pickup"})"));
  EXPECT_EQ(kPickup, p.GetTakeoverMode());
  EXPECT_EQ(R"({"knobMode":"pickup","lang":"ja"})", p.GetUIPrefsText());
  EXPECT_EQ("{\n  \"knobMode\": \"pickup\",\n  \"lang\": \"ja\"\n}\n", ReadText(user.Prefs()));

  // Refused: nothing changes, not even the knob mode.
  ASSERT_TRUE(SendText(vlm::MsgTag::kUIPrefs, "[]"));
  EXPECT_EQ(kPickup, p.GetTakeoverMode());
  EXPECT_EQ(R"({"knobMode":"pickup","lang":"ja"})", p.GetUIPrefsText());

  ASSERT_TRUE(SendText(vlm::MsgTag::kUIPrefs, R"({"knobMode":"jump"})"));
  EXPECT_EQ(kJump, p.GetTakeoverMode());

  // Empty: the text goes, the file stays, the mode is back to scaling.
  ASSERT_TRUE(p.OnMessage(vlm::MsgTag::kUIPrefs, -1, 0, nullptr));
  EXPECT_EQ("", p.GetUIPrefsText());
  EXPECT_EQ(kScaling, p.GetTakeoverMode());
  EXPECT_EQ("{\n  \"knobMode\": \"jump\"\n}\n", ReadText(user.Prefs()));

  // A new instance reads the file back: the same steps the constructor runs.
  p.LoadUIPrefs();
  p.ApplyKnobModePref();
  EXPECT_EQ(R"({"knobMode":"jump"})", p.GetUIPrefsText());
  EXPECT_EQ(kJump, p.GetTakeoverMode());
}

TEST(VelmoraWindow, ResizeRequestsAreClampedToTheMinimumAndFollowTheExpandedTones) {
  Velmora& p = ProcessorEnvironment::Processor();
  const FreshUserFolders user;
  ASSERT_TRUE(SendResize(500, 500));
  EXPECT_EQ((vlm::EditorSize{910, 650}), EditorSizeOf(p));
  EXPECT_TRUE(p.IsEditorSizePollRunning());
  EXPECT_LE(1, Count(LogText(), "OnMessage[ResizeEditor]: logical=910x650, toHost=910x650, current="));
  EXPECT_LE(1, Count(LogText(), "OnMessage[ResizeEditor]: after EditorResize, current=910x650"));

  ASSERT_TRUE(SendText(vlm::MsgTag::kBankState, R"({"expandedTones":true})"));
  ASSERT_TRUE(SendResize(500, 500));
  EXPECT_EQ((vlm::EditorSize{910, 1000}), EditorSizeOf(p));
  int w = 910, h = 700;
  EXPECT_FALSE(p.ConstrainEditorResize(w, h));
  EXPECT_EQ(1000, h);

  ASSERT_TRUE(SendText(vlm::MsgTag::kBankState, ""));
  ASSERT_TRUE(SendResize(200000, 200000));
  EXPECT_EQ((vlm::EditorSize{100000, 100000}), EditorSizeOf(p));
  ASSERT_TRUE(SendResize(1180, 760));
  w = 1180, h = 760;
  EXPECT_TRUE(p.ConstrainEditorResize(w, h));
  EXPECT_FALSE(SendText(vlm::MsgTag::kResizeEditor, "1234567")); // shorter than two int32
  EXPECT_EQ((vlm::EditorSize{1180, 760}), EditorSizeOf(p));
}

TEST(VelmoraWindow, ClosingTheEditorWithinTheSaveDelayStillWritesTheSize) {
  Velmora& p = ProcessorEnvironment::Processor();
  const FreshUserFolders user;
  p.RecordEditorSize(1333, 777);
  p.SaveWindowState(false); // not due yet
  EXPECT_FALSE(fs::exists(user.WindowStateFile()));
  p.CloseWindow();
  EXPECT_EQ("{\n  \"editorHeight\": 777,\n  \"editorWidth\": 1333\n}\n", ReadText(user.WindowStateFile()));
  EXPECT_FALSE(p.GetWindowState().IsSavePending());
  EXPECT_FALSE(p.IsEditorSizePollRunning());
}

TEST(VelmoraWindow, TheStoredSizeSeedsTheEditorAndInvalidOnesAreIgnored) {
  Velmora& p = ProcessorEnvironment::Processor();
  {
    const FreshUserFolders user;
    WriteText(user.WindowStateFile(), R"({"editorWidth": 1400, "editorHeight": 300})");
    p.LoadWindowState();
    EXPECT_EQ((vlm::EditorSize{1400, 650}), EditorSizeOf(p));
  }
  {
    const FreshUserFolders user;
    WriteText(user.WindowStateFile(), R"({"editorWidth": 1200, "editorHeight": 700.5})");
    const int before = Count(LogText(), "WindowState: missing/invalid size keys, using default");
    p.LoadWindowState();
    EXPECT_EQ((vlm::EditorSize{1400, 650}), EditorSizeOf(p)); // left as it was
    EXPECT_EQ(before + 1, Count(LogText(), "WindowState: missing/invalid size keys, using default"));
  }
}

TEST(VelmoraWindow, WithoutAParentTheFrameworkFollowsTheResize) {
  Velmora& p = ProcessorEnvironment::Processor();
  const vlm::EditorSize before = EditorSizeOf(p);
  p.OnParentWindowResize(1500, 900);
  EXPECT_EQ(before, EditorSizeOf(p)); // the framework's handling resizes nothing without a platform resize
  EXPECT_LE(1, Count(LogText(), "OnParentWindowResize: arg=1500x900, mNativeParent="));
  EXPECT_FALSE(p.IsDpiCorrectionPending());
}

} // namespace

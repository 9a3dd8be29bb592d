// The page's preferences: first-run seeding of the language, loading, saving the page's object as the file's
// exact text, malformed input, and the knob mode read from the text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "processor/prefs/UIPrefs.h"
#include "tests/processor/SettingsTestSupport.h"

namespace {

using namespace settingstest;

// Takeover modes.
constexpr int kJump = 0, kPickup = 1, kScaling = 2;

const ProcessFolders& kFolders = Folders();

// Sets the three locale variables for one test (null unsets) and puts them back afterwards.
class LocaleEnv {
public:
  LocaleEnv(const char* lcAll, const char* lcMessages, const char* lang) {
    Apply("LC_ALL", lcAll);
    Apply("LC_MESSAGES", lcMessages);
    Apply("LANG", lang);
  }
  ~LocaleEnv() {
    for (const auto& [name, value] : mSaved)
      value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
  }

private:
  void Apply(const char* name, const char* value) {
    const char* old = std::getenv(name);
    mSaved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> mSaved;
};

TEST(UIPrefs, TheLanguageComesFromTheUsersMessageLocale) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ja_JP.UTF-8", "ja"},
      {nullptr, nullptr, "JA", "ja"},
      {nullptr, nullptr, "jA-jp", "ja"},
      {nullptr, nullptr, "j", "en"},
      {nullptr, nullptr, "en_GB.UTF-8", "en"},
      {nullptr, nullptr, "C", "en"},
      {nullptr, nullptr, nullptr, "en"},
      {"", "", "ja_JP.UTF-8", "ja"},                 // empty variables do not count
      {"en_US.UTF-8", nullptr, "ja_JP.UTF-8", "en"}, // LC_ALL overrides everything
      {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", "ja"}, // messages follow LC_MESSAGES before LANG
  };
  for (const Case& c : cases) {
    const LocaleEnv env(c.lcAll, c.lcMessages, c.lang);
    EXPECT_EQ(c.expected, vlm::GetOsUiLanguage()) << (c.lang ? c.lang : "(no LANG)");
  }
}

TEST(UIPrefs, AFirstRunSeedsTheLanguageAndWritesNothing) {
  const FreshUserFolders user;
  const LocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
  EXPECT_EQ(R"({"lang":"ja"})", vlm::LoadUIPrefsText());
  EXPECT_FALSE(fs::exists(user.Prefs()));
  EXPECT_FALSE(fs::exists(user.AppData()));
  EXPECT_EQ(1, Count(LogText(),
                     "UIPrefs: " + user.Prefs().string() + " not found, seeding lang=ja from OS locale"));
}

TEST(UIPrefs, AStoredObjectIsLoadedAsCompactText) {
  const FreshUserFolders user;
  WriteText(user.Prefs(), "{\n  \"lang\": \"en\",\n  \"knobMode\": \"jump\"\n}\n");
  const std::string text = vlm::LoadUIPrefsText();
  EXPECT_EQ(R"({"knobMode":"jump","lang":"en"})", text);
  EXPECT_EQ(1, Count(LogText(), "UIPrefs: loaded 31 bytes from " + user.Prefs().string()));
}

TEST(UIPrefs, UnusableFilesAreIgnoredWithTheirLogLine) {
  {
    const FreshUserFolders user;
    WriteText(user.Prefs(), "[1, 2]");
    EXPECT_EQ("", vlm::LoadUIPrefsText());
    EXPECT_EQ(1, Count(LogText(), "UIPrefs: " + user.Prefs().string() + " is not a JSON object, ignoring"));
  }
  {
    const FreshUserFolders user;
    WriteText(user.Prefs(), "{} x");
    EXPECT_EQ("", vlm::LoadUIPrefsText());
    EXPECT_EQ(1,
              Count(LogText(), "UIPrefs: load failed (Failed to parse JSON: " + user.Prefs().string() + ")"));
  }
}

TEST(UIPrefs, ThePagesObjectIsWrittenWithSortedKeysTwoSpaceIndentAndAFinalLineFeed) {
  const FreshUserFolders user;
  std::string text;
  ASSERT_TRUE(vlm::SaveUIPrefsText(
      text, R"({"toneTabOrder":["lower","upper"],"lang":"ja","knobMode":"pickup","tutorialProgress":{}})"));
  EXPECT_EQ(R"({"knobMode":"pickup","lang":"ja","toneTabOrder":["lower","upper"],"tutorialProgress":{}})",
            text);
  EXPECT_EQ("{\n"
            "  \"knobMode\": \"pickup\",\n"
            "  \"lang\": \"ja\",\n"
            "  \"toneTabOrder\": [\n"
            "    \"lower\",\n"
            "    \"upper\"\n"
            "  ],\n"
            "  \"tutorialProgress\": {}\n"
            "}\n",
            ReadText(user.Prefs()));
  EXPECT_EQ(1, Count(LogText(),
                     "UIPrefs: saved " + std::to_string(text.size()) + " bytes to " + user.Prefs().string()));
}

TEST(UIPrefs, APayloadThatIsNoObjectChangesNothing) {
  const FreshUserFolders user;
  std::string text;
  ASSERT_TRUE(vlm::SaveUIPrefsText(text, R"({"knobMode":"jump"})"));
  const std::string file = ReadText(user.Prefs());
  for (const char* payload : {"[]", "\"jump\"", "{\"knobMode\":", "12"}) {
    EXPECT_FALSE(vlm::SaveUIPrefsText(text, payload));
    EXPECT_EQ(R"({"knobMode":"jump"})", text);
    EXPECT_EQ(file, ReadText(user.Prefs()));
    EXPECT_LE(1, Count(LogText(), "UIPrefs: ignoring malformed payload (" +
                                      std::to_string(std::string(payload).size()) + " bytes)"));
  }
}

TEST(UIPrefs, AFailedWriteKeepsTheNewTextAndIsLogged) {
  const FreshUserFolders user;
  WriteText(user.AppData(), "a file where the folder should be");
  std::string text;
  EXPECT_TRUE(vlm::SaveUIPrefsText(text, R"({"lang":"en"})"));
  EXPECT_EQ(R"({"lang":"en"})", text);
  EXPECT_EQ(1, Count(LogText(), "UIPrefs: save failed (Failed to create destination folder: " +
                                    user.AppData().string() + ")"));
}

TEST(UIPrefs, KnobModeChoosesTheTakeoverMode) {
  const std::pair<const char*, int> cases[] = {
      {R"({"knobMode":"jump"})", kJump},
      {R"({"knobMode":"pickup"})", kPickup},
      {R"({"knobMode":"scaling"})", kScaling},
      {R"({"knobMode":"Pickup"})", kScaling}, // exact and case-sensitive
      {R"({"knobMode":"jump "})", kScaling},
      {R"({"knobMode":0})", kScaling},
      {R"({"lang":"ja"})", kScaling},
      {R"(["jump"])", kScaling},
      {"not json", kScaling},
      {"", kScaling},
  };
  for (const auto& [text, mode] : cases)
    EXPECT_EQ(mode, vlm::KnobModeFromPrefsText(text)) << text;
}

} // namespace

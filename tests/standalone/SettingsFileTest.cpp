// settings.ini: first start, canonical rewrite, missing sections, long and non-ASCII values.
#include "standalone/devices/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    mRoot = fs::temp_directory_path() / ("vlm-settings-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(mRoot);
    fs::create_directories(mRoot);
    setenv("XDG_DATA_HOME", mRoot.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(mRoot); }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path mRoot;
};

TEST_F(SettingsFileTest, FirstStartCreatesTheFolderAndWritesTheDefaults) {
  const std::string path = vlm::SettingsFilePath();
  EXPECT_EQ(path, (mRoot / "Velmora" / "settings.ini").string());
  vlm::AudioMidiSettings s;
  EXPECT_TRUE(vlm::ReadSettingsFile(path, s));
  EXPECT_EQ(s, vlm::AudioMidiSettings{});
  EXPECT_EQ(Slurp(path), "[audio]\ndriver=0\nindev=Default Device\noutdev=Default Device\nin1=1\nin2=2\n"
                         "out1=1\nout2=2\nbuffer=512\nsr=44100\n[midi]\nindev=off\noutdev=off\ninchan=0\noutchan=0\n");
}

TEST_F(SettingsFileTest, ExistingFileWithoutMidiSectionReadsTheFileDefaults) {
  const std::string path = vlm::SettingsFilePath();
  fs::create_directories(mRoot / "Velmora");
  std::ofstream(path) << "[audio]\ndriver=1\noutdev=Card: Main\nsr=48000\nbuffer=256 frames\n";
  vlm::AudioMidiSettings s;
  vlm::ReadSettingsFile(path, s);
  EXPECT_EQ(s.driverType, 1);
  EXPECT_EQ(s.audioOutputDevice, "Card: Main");
  EXPECT_EQ(s.audioInputDevice, "Built-in Input");
  EXPECT_EQ(s.sampleRate, 48000);
  EXPECT_EQ(s.bufferFrames, 256);
  EXPECT_EQ(s.midiInput, "no input");
  EXPECT_EQ(s.midiOutput, "no output");
  EXPECT_NE(Slurp(path).find("buffer=256\n"), std::string::npos) << "rewritten in canonical form";
}

TEST_F(SettingsFileTest, LongTabJoinedAndNonAsciiValuesRoundTrip) {
  const std::string path = vlm::SettingsFilePath();
  vlm::AudioMidiSettings s;
  vlm::ReadSettingsFile(path, s);
  s.midiInput = std::string(80, 'A') + "\t" + std::string(80, 'B') + "\tKeyboard \xE9\x8D\xB5\xE7\x9B\xA4";
  s.audioOutputDevice = " Ger\xC3\xA4t";
  vlm::WriteSettingsFile(path, s);
  vlm::AudioMidiSettings back;
  vlm::ReadSettingsFile(path, back);
  EXPECT_EQ(back, s);
}

// Every save is one replacement of the file (a rewrite and a disk sync per key made each save slow), and
// other sections and keys of the file stay.
TEST_F(SettingsFileTest, ASaveReplacesTheFileOnceAndKeepsOtherKeys) {
  const std::string path = vlm::SettingsFilePath();
  fs::create_directories(mRoot / "Velmora");
  std::ofstream(path) << "[audio]\nmine=1\nsr=48000\n[notes]\nkept = yes\n";
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, (mRoot / "Velmora").c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  vlm::AudioMidiSettings s;
  s.midiInput = "Keys";
  vlm::WriteSettingsFile(path, s);
  int replacements = 0;
  alignas(inotify_event) char buffer[8192];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
    for (char* p = buffer; p < buffer + n;
         p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
      if (reinterpret_cast<inotify_event*>(p)->mask & IN_MOVED_TO)
        ++replacements;
  close(watch);
  EXPECT_EQ(replacements, 1);
  const std::string text = Slurp(path);
  EXPECT_NE(text.find("mine=1\n"), std::string::npos);
  EXPECT_NE(text.find("[notes]\nkept = yes\n"), std::string::npos);
  vlm::AudioMidiSettings back;
  vlm::ReadSettingsFile(path, back);
  EXPECT_EQ(back, s);
}

} // namespace

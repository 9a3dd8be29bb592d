// settings.ini: first start, canonical rewrite, missing sections, long and non-ASCII values.
#include "standalone/devices/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

} // namespace

// Profile functions on real files: round trips, buffer sizes, lists, integers, removal and refusal.
#include "Keel/Platform/ProfileUTF8.h"

#include "Keel/Platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace keel;
using testutil::ReadFile;
using testutil::ScratchFolder;
using testutil::WriteFile;

class ProfileUTF8 : public ::testing::Test {
protected:
  ScratchFolder dir;
  std::string file = dir / "settings.ini";
};

TEST_F(ProfileUTF8, WritesAndReadsBackUnderANonAsciiFolder) {
  const std::string folder = dir / "\xE8\xA8\xAD\xE5\xAE\x9A"; // Japanese "settings"
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/settings.ini";
  const std::string value = "\tIn: Gr\xC3\xBC\xC3\x9F"
                            "e " +
                            std::string(200, 'x');
  ASSERT_TRUE(WritePrivateProfileStringUTF8("MIDI", "Input", value.c_str(), path.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringUTF8("MIDI", "Output", " leading space", path.c_str()));
  EXPECT_EQ(GetPrivateProfileStringUTF8("MIDI", "Input", std::string("none"), path.c_str()), value);
  char out[1024];
  EXPECT_EQ(GetPrivateProfileStringUTF8("MIDI", "Output", "", out, sizeof out, path.c_str()), 14u);
  EXPECT_STREQ(out, " leading space");
  EXPECT_EQ(GetPrivateProfileStringUTF8("MIDI", "Missing", std::string("none"), path.c_str()), "none");
}

TEST_F(ProfileUTF8, UnknownSectionsAndKeysSurviveAWrite) {
  WriteFile(file, "[Audio]\nDriver=0\nFuture=1\n\n[Other Program]\nx=y\n");
  ASSERT_TRUE(WritePrivateProfileStringUTF8("Audio", "Driver", "1", file.c_str()));
  EXPECT_EQ(ReadFile(file), "[Audio]\nDriver=1\nFuture=1\n\n[Other Program]\nx=y\n");
}

TEST_F(ProfileUTF8, SeveralValuesAtOnceKeepTheSingleWriteRules) {
  WriteFile(file, "[Audio]\nDriver=0\nFuture=1\n\n[Other Program]\nx=y\n");
  EXPECT_FALSE(WritePrivateProfileStringsUTF8(
      {{"Audio", "Driver", "1"}, {"Audio", "Bad", "line\nbreak"}, {"MIDI", "In", " Keys\tPads"}},
      file.c_str()));
  EXPECT_EQ(ReadFile(file),
            "[Audio]\nDriver=1\nFuture=1\n\n[Other Program]\nx=y\n[MIDI]\nIn=\" Keys\tPads\"\n");
  EXPECT_TRUE(WritePrivateProfileStringsUTF8({{"Audio", "Driver", "2"}}, file.c_str()));
  EXPECT_EQ(GetPrivateProfileIntUTF8("Audio", "Driver", 0, file.c_str()), 2u);
}

TEST_F(ProfileUTF8, BufferSizesFollowTheReserveRule) {
  WriteFile(file, "[S]\nk=a\xC3\xA9z\n[T]\nm=1\n");
  char out[16];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(GetPrivateProfileStringUTF8("S", "k", "", out, 1, file.c_str()), 0u);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[1], 'x'); // only size bytes are touched
  // Three bytes of room would split the e-acute: the text stops before it.
  EXPECT_EQ(GetPrivateProfileStringUTF8("S", "k", "", out, 3, file.c_str()), 1u);
  EXPECT_STREQ(out, "a");
  EXPECT_EQ(GetPrivateProfileStringUTF8("S", "k", "", out, 4, file.c_str()), 3u);
  EXPECT_STREQ(out, "a\xC3\xA9");
  EXPECT_EQ(GetPrivateProfileStringUTF8("S", "none", "dflt", out, sizeof out, file.c_str()), 4u);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(GetPrivateProfileStringUTF8("S", "none", nullptr, out, sizeof out, file.c_str()), 0u);
  EXPECT_STREQ(out, "");
  // Lists: names each ending in zero, and one more zero; two bytes are reserved.
  EXPECT_EQ(GetPrivateProfileStringUTF8(nullptr, nullptr, nullptr, out, sizeof out, file.c_str()), 4u);
  EXPECT_EQ(std::string(out, 6), std::string("S\0T\0\0\0", 6));
  EXPECT_EQ(GetPrivateProfileStringUTF8("T", nullptr, nullptr, out, sizeof out, file.c_str()), 2u);
  EXPECT_EQ(std::string(out, 4), std::string("m\0\0\0", 4));
  EXPECT_EQ(GetPrivateProfileStringUTF8(nullptr, nullptr, nullptr, out, 2, file.c_str()), 0u);
}

TEST_F(ProfileUTF8, IntegersReadTheLeadingDecimalNumber) {
  WriteFile(file, "[S]\na=42\nb=-3\nc=x9\nd=17 apples\n");
  EXPECT_EQ(GetPrivateProfileIntUTF8("S", "a", 5, file.c_str()), 42u);
  EXPECT_EQ(GetPrivateProfileIntUTF8("S", "b", 5, file.c_str()), static_cast<unsigned>(-3));
  EXPECT_EQ(GetPrivateProfileIntUTF8("S", "c", 5, file.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntUTF8("S", "d", 5, file.c_str()), 17u);
  EXPECT_EQ(GetPrivateProfileIntUTF8("S", "missing", 5, file.c_str()), 5u);
  EXPECT_EQ(GetPrivateProfileIntUTF8("S", "a", 5, (dir / "absent.ini").c_str()), 5u);
}

TEST_F(ProfileUTF8, NullValueRemovesKeyAndNullKeyRemovesSection) {
  WriteFile(file, "[A]\nx=1\ny=2\n[B]\nz=3\n");
  ASSERT_TRUE(WritePrivateProfileStringUTF8("A", "x", nullptr, file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringUTF8("B", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(ReadFile(file), "[A]\ny=2\n");
}

TEST_F(ProfileUTF8, FailedWritesChangeNothing) {
  WriteFile(file, "[A]\nx=1\n");
  EXPECT_FALSE(WritePrivateProfileStringUTF8("A", "x", "line\nbreak", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringUTF8(nullptr, "x", "1", file.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringUTF8("A", "x", "1", (dir / "no/such/folder.ini").c_str()));
  EXPECT_EQ(ReadFile(file), "[A]\nx=1\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1); // no temporary left
}

// The id of a process that has ended: what a writer killed mid-save leaves in its temporary file's name.
static pid_t EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST_F(ProfileUTF8, TemporaryFilesOfWritersThatDiedAreRemovedByTheNextWrite) {
  const std::string dead = std::to_string(EndedProcessId());
  const std::string living = std::to_string(::getppid());
  for (const std::string& name :
       {"settings.ini.tmp-" + dead, "settings.ini.tmp-" + dead + "-7", "settings.ini.tmp-" + living,
        std::string("settings.ini.tmp-x1"), "other.ini.tmp-" + dead})
    WriteFile(dir / name, "[half");
  ASSERT_TRUE(WritePrivateProfileStringUTF8("MIDI", "Input", "off", file.c_str()));
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    left.insert(entry.path().filename().string());
  // A living writer's file and names that are not ours stay.
  EXPECT_EQ(left, (std::set<std::string>{"settings.ini", "settings.ini.tmp-" + living, "settings.ini.tmp-x1",
                                         "other.ini.tmp-" + dead}));
}

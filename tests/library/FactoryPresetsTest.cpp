// Factory preset sync: first install, keeping what exists, remembering deletions, retrying what could not
// be written; and the shipped bank's form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "library/FactoryPresets.h"
#include "library/FileIO.h"
#include "library/PatchDocument.h"
#include "common/Logger.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

fs::path ProcessDir() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / ("velmora-factory-" + std::to_string(::getpid()));
    fs::create_directories(d);
    ::setenv("TMPDIR", d.c_str(), 1); // the log goes here
    return d;
  }();
  return dir;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class FactoryPresets : public ::testing::Test {
protected:
  void SetUp() override {
    base = ProcessDir() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(base);
    root = base / "Velmora";
    record = base / "config" / "factory-presets.json";
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(base); }

  vlm::FactoryPresetSyncCounts Sync() { return vlm::SyncFactoryPresets(root, record, bank); }
  json Record() const {
    json value;
    std::string error;
    return vlm::ReadJsonFile(record, value, error) ? value : json();
  }
  static std::string LastLogLine() {
    const std::string log = ReadText(ProcessDir() / "velmora.log");
    const size_t end = log.rfind('\n');
    const size_t start = log.rfind('\n', end - 1);
    return log.substr(start + 1, end - start - 1);
  }

  std::vector<vlm::FactoryPresetRow> bank = {
      {"Bass/One.80p", "{\"a\": 1}\n"}, {"Bass/Two.80p", "two"}, {"- Mine/Three.80p", "three"}};
  fs::path base, root, record;
};

void ExpectCounts(const vlm::FactoryPresetSyncCounts& c, int copied, int kept, int removed) {
  EXPECT_EQ(copied, c.copied);
  EXPECT_EQ(kept, c.kept);
  EXPECT_EQ(removed, c.removed);
}

TEST_F(FactoryPresets, FirstStartInstallsEverythingAndSecondKeepsIt) {
  ExpectCounts(Sync(), 3, 0, 0);
  EXPECT_EQ("{\"a\": 1}\n", ReadText(root / "Bass" / "One.80p")); // byte for byte
  EXPECT_EQ("three", ReadText(root / "- Mine" / "Three.80p"));
  EXPECT_EQ(json::parse(
                R"({"Bass/One.80p":"validated","Bass/Two.80p":"validated","- Mine/Three.80p":"validated"})"),
            Record());
  EXPECT_NE(std::string::npos,
            LastLogLine().find("] FactoryPresets: synced (copied=3 kept=0 removed=0) -> " + record.string()));

  // The user's edit of an installed preset survives the next start.
  std::ofstream(root / "Bass" / "Two.80p", std::ios::binary) << "edited";
  ExpectCounts(Sync(), 0, 3, 0);
  EXPECT_EQ("edited", ReadText(root / "Bass" / "Two.80p"));
}

TEST_F(FactoryPresets, ADeletedPresetIsRememberedAndStaysDeleted) {
  Sync();
  fs::remove(root / "Bass" / "One.80p");
  for (int start = 0; start < 2; ++start) {
    ExpectCounts(Sync(), 0, 2, 1);
    EXPECT_FALSE(fs::exists(root / "Bass" / "One.80p"));
    EXPECT_EQ("removed", Record()["Bass/One.80p"]);
  }
  // A file at the path again makes the row validated again.
  std::ofstream(root / "Bass" / "One.80p") << "mine";
  ExpectCounts(Sync(), 0, 3, 0);
  EXPECT_EQ("validated", Record()["Bass/One.80p"]);
  EXPECT_EQ("mine", ReadText(root / "Bass" / "One.80p"));
}

TEST_F(FactoryPresets, AUsersFileOrLinkAtAFactoryPathIsKept) {
  fs::create_directories(root / "Bass");
  std::ofstream(root / "Bass" / "One.80p") << "user";
  fs::create_symlink(base / "nowhere", root / "Bass" / "Two.80p"); // dangling: still the user's
  ExpectCounts(Sync(), 1, 2, 0);
  EXPECT_EQ("user", ReadText(root / "Bass" / "One.80p"));
  EXPECT_FALSE(fs::exists(base / "nowhere"));
  EXPECT_EQ("validated", Record()["Bass/One.80p"]);
}

TEST_F(FactoryPresets, RowsThatCannotBeWrittenAreNotRecordedAndAreRetried) {
  // A root that cannot take files: nothing is installed, nothing recorded, and the next start tries again.
  fs::remove_all(root);
  std::ofstream(root) << "a file where the library folder should be";
  ExpectCounts(Sync(), 0, 0, 0);
  EXPECT_EQ(json::object(), Record());
  EXPECT_NE(std::string::npos, LastLogLine().find("synced (copied=0 kept=0 removed=0)"));
  fs::remove(root);
  fs::create_directories(root);
  ExpectCounts(Sync(), 3, 0, 0);
}

TEST_F(FactoryPresets, AWriteCutShortLeavesNoFileAndNoRecordAndIsRetried) {
  // A file-size limit stands for a full disk: the large row cannot be written whole.
  const std::string large(64 * 1024, 'x');
  bank = {{"Bass/One.80p", "one"}, {"Pads/Large.80p", large}, {"Pads/Two.80p", "two"}};
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of killing the process
    const rlimit limit{16 * 1024, 16 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const vlm::FactoryPresetSyncCounts c = Sync();
    ::_exit(c.copied == 2 && c.kept == 0 && c.removed == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(root / "Pads" / "Large.80p")));
  EXPECT_EQ(json::parse(R"({"Bass/One.80p":"validated","Pads/Two.80p":"validated"})"), Record());
  // The next start, with room again, installs it whole.
  ExpectCounts(Sync(), 1, 2, 0);
  EXPECT_EQ(large, ReadText(root / "Pads" / "Large.80p"));
}

TEST_F(FactoryPresets, MalformedRecordsCountAsEmptyAndUnknownRowsAreDropped) {
  for (const char* text : {"not json", "[1,2]", R"({"Bass/One.80p": 5, "Gone/Old.80p": "validated"})"}) {
    fs::remove_all(root);
    fs::create_directories(record.parent_path());
    std::ofstream(record) << text;
    ExpectCounts(Sync(), 3, 0, 0);
    EXPECT_FALSE(Record().contains("Gone/Old.80p")) << text;
  }
  // A record that cannot be written is logged; the sync itself still ran.
  fs::remove_all(record.parent_path());
  std::ofstream(record.parent_path()) << "blocked";
  fs::remove_all(root);
  ExpectCounts(Sync(), 3, 0, 0);
  const std::string log = ReadText(ProcessDir() / "velmora.log");
  EXPECT_NE(std::string::npos,
            log.find("FactoryPresets: state save failed (Failed to create destination folder: "));
}

// The shipped bank's form: 298 rows in 10 folders of 6 to 110 presets, two of them "- " folders, ASCII
// paths one folder deep, every row a complete patch document as the program writes files.
TEST(FactoryPresetBank, HasTheShippedFormAndCompleteDocuments) {
  const auto bank = vlm::FactoryPresetBank();
  ASSERT_EQ(298u, bank.size());
  std::set<std::string> paths;
  std::map<std::string, int> folders;
  std::set<int> keyModes;
  for (const auto& row : bank) {
    EXPECT_TRUE(paths.insert(row.relativePath).second) << row.relativePath;
    const size_t slash = row.relativePath.find('/');
    ASSERT_NE(std::string::npos, slash) << row.relativePath;
    EXPECT_EQ(std::string::npos, row.relativePath.find('/', slash + 1)) << row.relativePath;
    EXPECT_TRUE(row.relativePath.ends_with(".80p")) << row.relativePath;
    for (const char c : row.relativePath)
      EXPECT_TRUE(c >= 0x20 && c < 0x7f && c != '\\' && c != ':') << row.relativePath;
    ++folders[row.relativePath.substr(0, slash)];

    const json document = json::parse(row.documentText, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << row.relativePath;
    EXPECT_TRUE(vlm::IsPatchDocument(document)) << row.relativePath;
    EXPECT_EQ(1, document["formatVersion"]);
    EXPECT_EQ("1.0.13", document["createdWith"]["version"]);
    EXPECT_FALSE(document.contains("metadata"));
    EXPECT_EQ(78u, document["patch"]["params"].size()) << row.relativePath;
    EXPECT_EQ(51u, document["patch"]["toneA"]["params"].size()) << row.relativePath;
    EXPECT_EQ(51u, document["patch"]["toneB"]["params"].size()) << row.relativePath;
    for (const auto* params : {&document["patch"]["params"], &document["patch"]["toneA"]["params"],
                               &document["patch"]["toneB"]["params"]})
      for (const auto& [key, value] : params->items())
        EXPECT_TRUE(value.is_number() && value >= 0.0 && value <= 1.0) << row.relativePath << " " << key;
    EXPECT_EQ(row.documentText, vlm::JsonFileText(document)); // written as the program writes files
    keyModes.insert(
        static_cast<int>(std::lround(document["patch"]["params"]["patch.keyMode"].get<double>() * 3)));
  }
  EXPECT_EQ(10u, folders.size());
  int dashFolders = 0;
  for (const auto& [folder, count] : folders) {
    EXPECT_TRUE(count >= 6 && count <= 110) << folder << ": " << count;
    dashFolders += folder.starts_with("- ") ? 1 : 0;
  }
  EXPECT_EQ(2, dashFolders);
  EXPECT_EQ((std::set<int>{0, 1, 2, 3}), keyModes); // Whole, both splits and Dual all appear
}

// What the binary carries is the documents of the source tree, byte for byte.
TEST(FactoryPresetBank, CarriesTheRepositoryDocumentsByteForByte) {
  const char* source = std::getenv("VLM_SOURCE_DIR");
  ASSERT_NE(nullptr, source);
  const fs::path folder = fs::path(source) / "resources" / "factory";
  std::set<std::string> onDisk;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".80p")
      onDisk.insert(fs::relative(entry.path(), folder).generic_string());
  std::set<std::string> embedded;
  for (const auto& row : vlm::FactoryPresetBank()) {
    embedded.insert(row.relativePath);
    EXPECT_EQ(ReadText(folder / row.relativePath), row.documentText) << row.relativePath;
  }
  EXPECT_EQ(onDisk, embedded);
}

} // namespace

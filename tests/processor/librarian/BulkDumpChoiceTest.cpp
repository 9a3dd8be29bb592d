// The page's choice for a received dump: the MIDI file on disk with its ending, and the import hand-over.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "library/BulkDumpFiles.h"
#include "library/Mks80Messages.h"
#include "processor/librarian/BulkDumpChoice.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class BulkDumpChoice : public ::testing::Test {
protected:
  void SetUp() override {
    static const fs::path base = fs::temp_directory_path(); // before TMPDIR points into the test folder
    dir = base / ("velmora-dumpchoice-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    ::setenv("TMPDIR", dir.c_str(), 1); // the log goes here too
    std::array<std::uint8_t, vlm::kMksDatDataBytes> data{};
    dump.resize(vlm::kMksDatLength);
    dump.resize(vlm::BuildDatMessage(0, vlm::kMksFormatType, data, dump.data(), dump.size()));
  }
  void TearDown() override { fs::remove_all(dir); }
  // A save dialog that answers with name in the test folder and remembers what it was offered.
  vlm::DumpFileChooser Choose(const std::string& name) {
    return [this, name](int, bool save, const fs::path&, const std::string& proposed, fs::path& path) {
      offeredName = proposed;
      EXPECT_TRUE(save);
      path = dir / name;
      return true;
    };
  }
  fs::path dir;
  Bytes dump;
  std::string offeredName;
};

TEST_F(BulkDumpChoice, MidChoiceWritesWhatTheNameSays) {
  // A MIDI file under a MIDI name, the raw messages under a ".syx" name, ".mid" for any other ending.
  const Bytes smf = vlm::BuildSysExDumpSmf(dump, 1);
  const Bytes raw = vlm::SysExFromSmf(smf);
  const struct {
    const char* chosen;
    const char* written;
    const Bytes& content;
  } cases[] = {{"backup.syx", "backup.syx", raw},
               {"Backup.SYX", "Backup.SYX", raw},
               {"Backup.MIDI", "Backup.MIDI", smf},
               {"plain", "plain.mid", smf}};
  for (const auto& c : cases) {
    const nlohmann::json answer = vlm::DispatchMks80DumpAsMidiFile(dump, 1, Choose(c.chosen));
    EXPECT_EQ(answer, nlohmann::json({{"operation", "mksBulkDumpFormatChoice"},
                                      {"status", "ok"},
                                      {"filePath", (dir / c.written).string()},
                                      {"datMessages", 1}}))
        << c.chosen;
    EXPECT_EQ(ReadBytes(dir / c.written), c.content) << c.chosen;
  }
  EXPECT_EQ(offeredName.rfind("MKS-80-Backup-", 0), 0u);
  // The raw file is the WSF, the dump's frames and the EOF, back to back.
  Bytes expected(vlm::kMksFileMessageLength);
  expected.resize(vlm::BuildWsfMessage(0, expected.data(), expected.size()));
  expected.insert(expected.end(), dump.begin(), dump.end());
  expected.insert(expected.end(), {0xF0, 0x41, 0x45, 0x00, 0x20, 0xF7});
  EXPECT_EQ(raw, expected);
}

TEST_F(BulkDumpChoice, ARenamedAnswerAsksAgainBeforeReplacingAFile) {
  std::ofstream(dir / "old.mid") << "keep";
  std::vector<std::string> proposed;
  std::vector<fs::path> replies = {dir / "old.txt", dir / "old.txt"};
  const auto script = [&](int, bool, const fs::path&, const std::string& name, fs::path& path) {
    proposed.push_back(name);
    path = replies[proposed.size() - 1];
    return true;
  };
  const nlohmann::json refused = vlm::DispatchMks80DumpAsMidiFile(dump, 1, script);
  EXPECT_EQ(refused["status"], "error");
  EXPECT_EQ(proposed.size(), 2u);
  EXPECT_EQ(proposed[1], "old.mid");
  EXPECT_EQ(ReadBytes(dir / "old.mid"), Bytes({'k', 'e', 'e', 'p'}));
}

TEST_F(BulkDumpChoice, MidChoiceFailures) {
  EXPECT_EQ(vlm::DispatchMks80DumpAsMidiFile({}, 1, Choose("x.mid"))["message"], "No dump data available");
  EXPECT_EQ(vlm::DispatchMks80DumpAsMidiFile(dump, 0, Choose("x.mid"))["message"], "No dump data available");
  const auto dismissed = [](int, bool, const fs::path&, const std::string&, fs::path&) { return false; };
  EXPECT_EQ(vlm::DispatchMks80DumpAsMidiFile(dump, 1, dismissed),
            nlohmann::json({{"operation", "mksBulkDumpFormatChoice"}, {"status", "cancelled"}}));
  const Bytes noMessage = {0x01, 0x02, 0xF0, 0x41};
  EXPECT_EQ(vlm::DispatchMks80DumpAsMidiFile(noMessage, 1, Choose("x.mid"))["message"],
            "Failed to build SMF");
  fs::create_directories(dir / "taken.mid"); // a folder where the file should go
  const auto failed = vlm::DispatchMks80DumpAsMidiFile(dump, 1, Choose("taken.mid"));
  EXPECT_EQ(failed["status"], "error");
  EXPECT_TRUE(failed.contains("message"));
}

TEST_F(BulkDumpChoice, ImportHandsTheDumpToThePage) {
  std::string title;
  const auto folder = [&](const fs::path&, const std::string& t, fs::path& path) {
    title = t;
    path = dir;
    return true;
  };
  const nlohmann::json answer = vlm::ImportMksDump(dump, 1, folder);
  EXPECT_EQ(title, "Choose destination folder for received MKS-80 Patches (.80p)");
  EXPECT_EQ(answer["operation"], "importMksDump");
  EXPECT_EQ(answer["status"], "ok");
  EXPECT_EQ(answer["patchFolderPath"], dir.string());
  EXPECT_EQ(answer["sourceName"], "MKS-80 MIDI dump");
  EXPECT_EQ(answer["datMessages"], 1);
  EXPECT_EQ(answer["data"].get<std::string>().size(), (dump.size() + 2) / 3 * 4);
  EXPECT_FALSE(answer.contains("message"));

  const auto dismissed = [](const fs::path&, const std::string&, fs::path&) { return false; };
  EXPECT_EQ(vlm::ImportMksDump(dump, 1, dismissed),
            nlohmann::json({{"operation", "importMksDump"}, {"status", "cancelled"}}));
}

} // namespace

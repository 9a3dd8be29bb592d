// Preset actions from the page: exact answers, documents saved and loaded back through the thread-safe
// parameter path, loads that fail changing nothing, and page paths and names that never leave the library.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/AppFolders.h"
#include "common/EParams.h"
#include "library/FactoryPresetBank.h"
#include "library/FileIO.h"
#include "library/PatchDocument.h"
#include "processor/editor/EditorTags.h"
#include "processor/librarian/VelmoraPresets.h"
#include "tests/processor/editor/EditorTestSupport.h"

namespace {

using namespace editortest;
namespace fs = std::filesystem;
using nlohmann::json;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

std::vector<double> AllNormalized(Velmora& p) {
  std::vector<double> values;
  for (int i = 0; i < vlm::kNumParams; ++i)
    values.push_back(p.GetParam(i)->GetNormalized());
  return values;
}

class VelmoraPresets : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    rec = new RecordingProcessor; // about 43 MB: one for the whole executable
    rec->processor->SetBlockSize(64);
    rec->processor->SetSampleRate(48000.0);
    rec->processor->OnReset();
  }
  static void TearDownTestSuite() {
    delete rec;
    rec = nullptr;
  }
  void SetUp() override {
    Velmora& p = *rec->processor;
    for (int i = 0; i < vlm::kNumParams; ++i)
      p.SetParameterValue(i, p.GetParam(i)->GetDefault(true));
    rec->Clear();
    root = Utf8ToPathRoot();
    dialogs.chooseFile = [this](int kind, bool save, const fs::path& start, const std::string& name,
                                fs::path& path) {
      fileDialogs.push_back({{"kind", kind}, {"save", save}, {"start", start.string()}, {"name", name}});
      if (!answers.empty()) { // a scripted user: one answer per dialog, an empty path dismisses it
        path = answers.front();
        answers.erase(answers.begin());
        return !path.empty();
      }
      if (chosenFile.empty())
        return false;
      path = chosenFile;
      return true;
    };
    dialogs.chooseFolder = [this](const fs::path&, const std::string& title, fs::path& path) {
      folderTitles.push_back(title);
      if (chosenFolder.empty())
        return false;
      path = chosenFolder;
      return true;
    };
  }
  static fs::path Utf8ToPathRoot() { return fs::path(GetUserDocumentsFolder()); }

  // Runs one action and gives its single tag 203 answer.
  json Act(const json& request) { return ActText(request.dump()); }
  json ActText(const std::string& payload) {
    rec->Clear();
    vlm::HandlePresetAction(*rec->processor, payload, dialogs);
    const auto answers = rec->Tagged(vlm::MsgTag::kPresetActionResult);
    EXPECT_EQ(1u, answers.size()) << payload;
    return answers.empty() ? json() : json::parse(answers[0].payload);
  }
  void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  static inline RecordingProcessor* rec = nullptr;
  vlm::PresetDialogs dialogs;
  std::vector<json> fileDialogs;
  std::vector<std::string> folderTitles;
  fs::path chosenFile, chosenFolder;
  std::vector<fs::path> answers;
  fs::path root;
};

TEST_F(VelmoraPresets, MalformedAndUnknownRequestsAreAnsweredWithTheirOperation) {
  const std::pair<std::string, json> cases[] = {
      {"[1,2]",
       {{"operation", "unknown"}, {"status", "error"}, {"message", "Failed to parse preset action JSON"}}},
      {"{",
       {{"operation", "unknown"}, {"status", "error"}, {"message", "Failed to parse preset action JSON"}}},
      {"\"loadPatch\"",
       {{"operation", "unknown"}, {"status", "error"}, {"message", "Failed to parse preset action JSON"}}},
      {R"({/*c*/"operation":"loadPatch"})",
       {{"operation", "unknown"}, {"status", "error"}, {"message", "Failed to parse preset action JSON"}}},
      {"{}", {{"operation", "unknown"}, {"status", "error"}, {"message", "Unsupported preset action"}}},
      {R"({"operation":5})",
       {{"operation", "unknown"}, {"status", "error"}, {"message", "Unsupported preset action"}}},
      {R"({"operation":"LoadPatch"})",
       {{"operation", "LoadPatch"}, {"status", "error"}, {"message", "Unsupported preset action"}}},
  };
  for (const auto& [payload, expected] : cases)
    EXPECT_EQ(expected, ActText(payload)) << payload;

  // The message path: an empty payload and a real request both reach an answer.
  rec->Clear();
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kPresetAction, ""));
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kPresetAction, R"({"operation":"nope"})"));
  const auto sent = rec->Tagged(vlm::MsgTag::kPresetActionResult);
  ASSERT_EQ(2u, sent.size());
  EXPECT_EQ(R"({"message":"Preset action payload is empty","operation":"unknown","status":"error"})",
            sent[0].payload);
  EXPECT_EQ(R"({"message":"Unsupported preset action","operation":"nope","status":"error"})",
            sent[1].payload);
}

TEST_F(VelmoraPresets, ASavedPatchIsTheExactDocumentAndLoadsBackThroughTheParameters) {
  Velmora& p = *rec->processor;
  p.SetParameterValue(vlm::kKeyMode, 1.0); // Dual
  p.SetParameterValue(17 + 12, 0.25);      // Upper vcf.cutoff
  p.SetParameterValue(66 + 12, 0.75);      // Lower vcf.cutoff
  p.SetParameterValue(118, 0.6);           // an effect value
  const std::vector<double> saved = AllNormalized(p);
  const std::string expectedText = vlm::JsonFileText(vlm::BuildPatchDocument(p));

  chosenFile = root / "Mine" / "My Patch.txt";
  const json answer = Act({{"operation", "savePatch"}, {"defaultName", "My Patch"}});
  EXPECT_EQ(json::parse(R"({"operation":"savePatch","status":"ok",
                            "fileRef":{"name":"My Patch","path":"Mine/My Patch.80p"}})"),
            answer);
  ASSERT_EQ(1u, fileDialogs.size());
  EXPECT_EQ((json{{"kind", 0}, {"save", true}, {"start", root.string()}, {"name", "My Patch"}}),
            fileDialogs[0]);
  EXPECT_EQ(expectedText, ReadText(root / "Mine" / "My Patch.80p"));
  EXPECT_FALSE(fs::exists(root / "Mine" / "My Patch.txt"));
  // The answer comes first, then the tree that now lists the new file.
  ASSERT_EQ(2u, rec->scripts.size());
  Samfd first, second;
  ASSERT_TRUE(ParseSamfd(rec->scripts[0], first) && ParseSamfd(rec->scripts[1], second));
  EXPECT_EQ(vlm::MsgTag::kPresetActionResult, first.tag);
  EXPECT_EQ(vlm::MsgTag::kPresetLibrary, second.tag);
  EXPECT_NE(std::string::npos,
            second.payload.find(R"({"isWhole":false,"name":"My Patch","path":"Mine/My Patch.80p"})"));

  // Back to the defaults, then the load restores every value the document names.
  for (int i = 0; i < vlm::kNumParams; ++i)
    p.SetParameterValue(i, p.GetParam(i)->GetDefault(true));
  double* outputs[2];
  std::vector<double> left(64), right(64);
  outputs[0] = left.data();
  outputs[1] = right.data();
  p.ProcessBlock(nullptr, outputs, 64);
  EXPECT_EQ(0, p.GetKeyMode());

  const json loaded = Act({{"operation", "loadPatch"}, {"path", "Mine/My Patch.80p"}});
  EXPECT_EQ("ok", loaded["status"]);
  EXPECT_FALSE(loaded.contains("message"));
  EXPECT_EQ(json::parse(R"({"name":"My Patch","path":"Mine/My Patch.80p"})"), loaded["fileRef"]);
  EXPECT_EQ(json::parse(R"({"name":"My Patch","path":"embedded:Mine/My Patch.80p#upper","isEmbedded":true})"),
            loaded["upperTone"]);
  EXPECT_EQ("embedded:Mine/My Patch.80p#lower", loaded["lowerTone"]["path"]);
  EXPECT_EQ(78u + 51u + 51u, loaded["values"].size());
  EXPECT_DOUBLE_EQ(0.25, loaded["values"]["29"].get<double>());
  for (int i = 0; i < vlm::kNumParams; ++i)
    EXPECT_NEAR(saved[i], p.GetParam(i)->GetNormalized(), 1e-12) << i;
  // The engine hears of it only at the next block, behind the mute.
  EXPECT_TRUE(p.GetMuteRamp().Running());
  EXPECT_EQ(0, p.GetKeyMode());
  p.ProcessBlock(nullptr, outputs, 64);
  EXPECT_EQ(3, p.GetKeyMode());
}

TEST_F(VelmoraPresets, FailedLoadsAnswerAnErrorAndChangeNothing) {
  Velmora& p = *rec->processor;
  WriteFile(root / "tone.80p",
            R"({"format":"com.velmora.patch","kind":"tone","patch":{"params":{"patch.tune":1}}})");
  WriteFile(root / "broken.80p", "{");
  fs::create_directories(root.parent_path() / "Outside");
  WriteFile(root.parent_path() / "Outside" / "x.80p", vlm::JsonFileText(vlm::ParseInitPatchDocument()));
  const std::vector<double> before = AllNormalized(p);
  const std::pair<std::string, std::string> cases[] = {
      {"", "Invalid patch path"},
      {"../Outside/x.80p", "Invalid patch path"},
      {"a/../../Outside/x.80p", "Invalid patch path"},
      {"..\\Outside\\x.80p", "Invalid patch path"},
      {(root.parent_path() / "Outside" / "x.80p").string(), "Invalid patch path"},
      {"C:\\x.80p", "Invalid patch path"},
      {"missing.80p", "Failed to open file: " + (root / "missing.80p").string()},
      {"broken.80p", "Failed to parse JSON: " + (root / "broken.80p").string()},
      {"tone.80p", "Not a Velmora patch file"},
  };
  for (const auto& [path, message] : cases) {
    for (const char* op : {"loadPatch", "loadTone"}) {
      EXPECT_EQ((json{{"operation", op}, {"status", "error"}, {"message", message}}),
                Act({{"operation", op}, {"path", path}}))
          << op << " " << path;
    }
  }
  EXPECT_EQ(before, AllNormalized(p));
  // Mistyped members read as their defaults: an empty path.
  EXPECT_EQ("Invalid patch path", Act({{"operation", "loadPatch"}, {"path", 7}})["message"]);
}

TEST_F(VelmoraPresets, BuiltinInitLoadsWithEmbeddedToneReferences) {
  const json answer = Act({{"operation", "loadPatch"}, {"path", "builtin:init"}});
  EXPECT_EQ(json::parse(R"({"name":"Init","path":"builtin:init","isBuiltin":true})"), answer["fileRef"]);
  EXPECT_EQ(json::parse(R"({"name":"Init","path":"embedded:builtin:init#upper","isEmbedded":true})"),
            answer["upperTone"]);
  EXPECT_EQ(json::parse(R"({"name":"Init","path":"embedded:builtin:init#lower","isEmbedded":true})"),
            answer["lowerTone"]);
  EXPECT_DOUBLE_EQ(0.7215047647239513, rec->processor->GetParam(17 + 12)->GetNormalized());
}

TEST_F(VelmoraPresets, TheEffectChainLockKeepsTheEffectSlots) {
  Velmora& p = *rec->processor;
  json document = vlm::ParseInitPatchDocument();
  document["patch"]["params"]["patch.fx1.p0"] = 0.9;
  document["patch"]["params"]["patch.tune"] = 0.25;
  WriteFile(root / "fx.80p", vlm::JsonFileText(document));
  p.SetParameterValue(vlm::kFxChainLock, 1.0);
  p.SetParameterValue(118, 0.1);
  const json answer = Act({{"operation", "loadPatch"}, {"path", "fx.80p"}});
  EXPECT_EQ("ok", answer["status"]);
  EXPECT_DOUBLE_EQ(0.1, p.GetParam(118)->GetNormalized());
  EXPECT_DOUBLE_EQ(0.25, p.GetParam(1)->GetNormalized());
  for (int i = 117; i <= 161; ++i)
    EXPECT_FALSE(answer["values"].contains(std::to_string(i))) << i;
  p.SetParameterValue(vlm::kFxChainLock, 0.0);
  Act({{"operation", "loadPatch"}, {"path", "fx.80p"}});
  EXPECT_DOUBLE_EQ(0.9, p.GetParam(118)->GetNormalized());
}

TEST_F(VelmoraPresets, AToneLoadsIntoTheChosenSlotOnly) {
  Velmora& p = *rec->processor;
  json document = vlm::ParseInitPatchDocument();
  document["patch"]["toneA"]["params"]["vcf.cutoff"] = 0.125;
  document["patch"]["toneA"]["params"].erase("lfo1.sync");
  document["patch"]["toneB"]["params"]["vcf.cutoff"] = 0.875;
  WriteFile(root / "Tones" / "Dark.80p", vlm::JsonFileText(document));
  p.SetParameterValue(17 + 12, 0.5);
  p.SetParameterValue(183, 1.0); // Lower lfo1.sync
  const json answer =
      Act({{"operation", "loadTone"}, {"slot", "lower"}, {"source", "upper"}, {"path", "Tones/Dark.80p"}});
  EXPECT_EQ("lower", answer["slot"]);
  EXPECT_EQ(json::parse(R"({"name":"Dark","path":"embedded:Tones/Dark.80p#upper","isEmbedded":true})"),
            answer["fileRef"]);
  EXPECT_DOUBLE_EQ(0.125, p.GetParam(66 + 12)->GetNormalized());
  EXPECT_DOUBLE_EQ(0.5, p.GetParam(17 + 12)->GetNormalized()); // Upper untouched
  EXPECT_EQ(51u, answer["values"].size());
  EXPECT_TRUE(answer["values"].contains("183")); // a missing sync key is reset to its default
  EXPECT_DOUBLE_EQ(p.GetParam(183)->GetDefault(true), p.GetParam(183)->GetNormalized());
  for (const auto& [key, value] : answer["values"].items()) {
    const int index = std::stoi(key);
    EXPECT_TRUE((index >= 66 && index <= 114) || index == 183 || index == 184) << key;
  }
}

TEST_F(VelmoraPresets, ReadingDocumentsGivesEachStringPathAnEntry) {
  WriteFile(root / "Any.80p", R"({"anything":true})");
  const json answer = Act({{"operation", "readPatchDocuments"},
                           {"paths", {"builtin:init", 5, "missing.80p", "Any.80p", "../Any.80p"}}});
  ASSERT_EQ(4u, answer["documents"].size());
  EXPECT_EQ(vlm::ParseInitPatchDocument(), answer["documents"][0]["document"]);
  EXPECT_EQ(json::parse(R"({"path":"missing.80p","document":null})"), answer["documents"][1]);
  EXPECT_EQ(json::parse(R"({"path":"Any.80p","document":{"anything":true}})"), answer["documents"][2]);
  EXPECT_EQ(json::parse(R"({"path":"../Any.80p","document":null})"), answer["documents"][3]);
  EXPECT_EQ(json::parse(R"({"operation":"readPatchDocuments","status":"ok","documents":[]})"),
            Act({{"operation", "readPatchDocuments"}, {"paths", "x"}}));
}

TEST_F(VelmoraPresets, DecodedPatchesStayInTheirFolderUnderSafeNames) {
  const fs::path folder = root / "Imported";
  const json request = {{"operation", "bulkImportComplete"},
                        {"patchFolderPath", folder.string()},
                        {"patches",
                         {{{"name", "Brass"}, {"document", {{"a", 1}}}},
                          {{"name", "Brass"}, {"document", {{"a", 2}}}},
                          {{"name", "../../../escape"}, {"document", {{"a", 3}}}},
                          {{"name", "??"}, {"document", {{"a", 4}}}},
                          {{"name", "Bare"}},
                          7}}};
  rec->Clear();
  vlm::HandlePresetAction(*rec->processor, request.dump(), dialogs);
  const auto answers = rec->Tagged(vlm::MsgTag::kPresetActionResult);
  ASSERT_EQ(1u, answers.size());
  EXPECT_EQ((json{{"operation", "bulkImportComplete"},
                  {"status", "ok"},
                  {"patchesWritten", 4},
                  {"patchDir", folder.string()}}),
            json::parse(answers[0].payload));
  EXPECT_EQ(1u, rec->Tagged(vlm::MsgTag::kPresetLibrary).size());
  EXPECT_EQ("{\n  \"a\": 2\n}\n", ReadText(folder / "Brass.80p"));
  EXPECT_EQ("{}\n", ReadText(folder / "Bare.80p"));
  EXPECT_TRUE(fs::exists(folder / "......escape.80p"));
  EXPECT_FALSE(fs::exists(root.parent_path().parent_path() / "escape.80p"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
  EXPECT_EQ(
      json::parse(
          R"({"operation":"bulkImportComplete","status":"error","message":"patchFolderPath is empty"})"),
      Act({{"operation", "bulkImportComplete"}}));
}

TEST_F(VelmoraPresets, DumpFilesKeepADumpExtensionAndDialogsCanBeDismissed) {
  const std::string data = Base64("\xF0\x41\xF7");
  const std::pair<std::string, std::string> names[] = {
      {"dump.SYX", "dump.SYX"}, {"dump.midi", "dump.midi"}, {"dump.txt", "dump.mid"}, {"plain", "plain.mid"}};
  for (const auto& [chosen, written] : names) {
    chosenFile = root / "Dumps" / chosen;
    const json answer = Act({{"operation", "exportCurrentAsMid"}, {"data", data}, {"defaultName", "Bank"}});
    EXPECT_EQ((json{{"operation", "exportCurrentAsMid"},
                    {"status", "ok"},
                    {"filePath", (root / "Dumps" / written).string()}}),
              answer);
    EXPECT_EQ("\xF0\x41\xF7", ReadText(root / "Dumps" / written));
  }
  EXPECT_EQ("data is empty", Act({{"operation", "exportCurrentAsMid"}})["message"]);
  EXPECT_EQ("base64 decode failed", Act({{"operation", "exportCurrentAsMid"}, {"data", "!!"}})["message"]);

  // Reading a dump for sending, and for import with its destination folder.
  chosenFile = root / "Dumps" / "dump.SYX";
  EXPECT_EQ((json{{"operation", "loadMksMidForDump"},
                  {"status", "ok"},
                  {"data", data},
                  {"sourceName", "dump.SYX"},
                  {"filePath", chosenFile.string()}}),
            Act({{"operation", "loadMksMidForDump"}}));
  chosenFolder = root / "Imported";
  EXPECT_EQ((json{{"operation", "importMksDump"},
                  {"status", "ok"},
                  {"data", data},
                  {"patchFolderPath", chosenFolder.string()},
                  {"sourceName", "dump"}}),
            Act({{"operation", "importMksDump"}}));
  EXPECT_EQ(std::vector<std::string>{"Choose destination folder for Patches (.80p)"}, folderTitles);

  chosenFolder.clear();
  EXPECT_EQ(json::parse(R"({"operation":"importMksDump","status":"cancelled"})"),
            Act({{"operation", "importMksDump"}}));
  chosenFile.clear();
  for (const char* op : {"savePatch", "importMksDump", "loadMksMidForDump"})
    EXPECT_EQ((json{{"operation", op}, {"status", "cancelled"}}), Act({{"operation", op}})) << op;
  EXPECT_EQ("cancelled", Act({{"operation", "exportCurrentAsMid"}, {"data", data}})["status"]);
  chosenFile = root / "Dumps" / "missing.syx";
  EXPECT_EQ("Failed to open file: " + chosenFile.string(),
            Act({{"operation", "loadMksMidForDump"}})["message"]);
}

TEST_F(VelmoraPresets, ANameRenamedAfterTheDialogNeverReplacesAFileUnasked) {
  // The dialog asked about "mine.txt"; the file written would be "mine.80p" (or "mine.mid"), which exists.
  struct Case {
    const char* operation;
    const char* typed;
    const char* renamed;
    int kind;
  };
  const Case kinds[] = {{"savePatch", "mine.txt", "mine.80p", 0},
                        {"exportCurrentAsMid", "bank.txt", "bank.mid", 2}};
  for (const Case& c : kinds) {
    SCOPED_TRACE(c.operation);
    const fs::path folder = root / "Renamed";
    const fs::path typed = folder / c.typed;
    const fs::path renamed = folder / c.renamed;
    const json request = {{"operation", c.operation}, {"data", Base64("\xF0\x41\xF7")}};
    WriteFile(renamed, "keep me");

    // Asked again with the name that would be written; dismissing it writes nothing.
    fileDialogs.clear();
    answers = {typed, fs::path()};
    EXPECT_EQ("cancelled", Act(request)["status"]);
    ASSERT_EQ(2u, fileDialogs.size());
    EXPECT_EQ((json{{"kind", c.kind}, {"save", true}, {"start", folder.string()}, {"name", c.renamed}}),
              fileDialogs[1]);
    EXPECT_EQ("keep me", ReadText(renamed));

    // The same renamed answer twice: refused with the reason, the file kept.
    answers = {typed, typed};
    const json refused = Act(request);
    EXPECT_EQ("error", refused["status"]);
    EXPECT_EQ("File already exists: " + renamed.string() +
                  " (type the name with its extension to replace it, or choose another name)",
              refused["message"]);
    EXPECT_EQ("keep me", ReadText(renamed));
    EXPECT_FALSE(fs::exists(typed));

    // The name confirmed in the second dialog (which asked before replacing) is written.
    answers = {typed, renamed};
    EXPECT_EQ("ok", Act(request)["status"]);
    EXPECT_NE("keep me", ReadText(renamed));

    // A free name after the rule needs no second question.
    fileDialogs.clear();
    answers = {folder / "fresh.txt"};
    EXPECT_EQ("ok", Act(request)["status"]);
    EXPECT_EQ(1u, fileDialogs.size());
  }
}

TEST_F(VelmoraPresets, ALinkOutOfTheLibraryIsRefusedByEveryOperation) {
  // A valid patch outside the library, reached through a file link and a folder link placed inside it.
  const fs::path away = root.parent_path() / "Away";
  WriteFile(away / "Secret.80p", vlm::JsonFileText(vlm::BuildPatchDocument(*rec->processor)));
  fs::create_symlink(away / "Secret.80p", root / "Secret.80p");
  fs::create_directory_symlink(away, root / "AwayLink");
  for (const char* path : {"Secret.80p", "AwayLink/Secret.80p"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ("Invalid patch path", Act({{"operation", "loadPatch"}, {"path", path}})["message"]);
    EXPECT_EQ("Invalid patch path", Act({{"operation", "loadTone"}, {"path", path}})["message"]);
    const json read = Act({{"operation", "readPatchDocuments"}, {"paths", {path}}});
    EXPECT_EQ((json{{{"path", path}, {"document", nullptr}}}), read["documents"]);
  }
  fs::remove(root / "Secret.80p");
  fs::remove(root / "AwayLink");
  fs::remove_all(away);
}

TEST_F(VelmoraPresets, RefreshSendsOnlyTheTreeWithTheFactoryPresetsInstalled) {
  rec->Clear();
  vlm::HandlePresetAction(*rec->processor, R"({"operation":"refreshLibrary"})", dialogs);
  EXPECT_TRUE(rec->Tagged(vlm::MsgTag::kPresetActionResult).empty());
  const auto trees = rec->Tagged(vlm::MsgTag::kPresetLibrary);
  ASSERT_EQ(1u, trees.size());
  const json tree = json::parse(trees[0].payload);
  EXPECT_EQ(root.string(), tree["presetRoot"]);
  EXPECT_EQ(json::parse(R"({"name":"Init","path":"builtin:init","isBuiltin":true})"), tree["patches"].back());
  for (const auto& row : vlm::FactoryPresetBank())
    EXPECT_TRUE(fs::exists(root / row.relativePath)) << row.relativePath;
  EXPECT_TRUE(fs::exists(fs::path(GetAppDataFolder()) / "factory-presets.json"));
}

TEST_F(VelmoraPresets, TransfersWithTheMks80GoToTheLibrarian) {
  EXPECT_EQ(json::parse(R"({"operation":"dumpMidFileStart","status":"cancelled","datMessages":0})"),
            Act({{"operation", "dumpMidFileCancel"}}));
  EXPECT_EQ(json::parse(R"({"operation":"dumpMidFileStart","status":"error","message":"Empty payload"})"),
            Act({{"operation", "dumpMidFileStart"}}));
  rec->Clear();
  vlm::HandlePresetAction(*rec->processor, R"({"operation":"requestMksBulkDump"})", dialogs);
  EXPECT_TRUE(rec->Tagged(vlm::MsgTag::kPresetActionResult).empty()); // answered when the dump ends
}

} // namespace

// The preset library: page paths confined to the root, entries and their order, the tree message of a
// small fixture folder, and decoded patches written under safe names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "library/FileIO.h"
#include "library/PresetLibrary.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class PresetLibrary : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("velmora-presetlib-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }
  void Write(const fs::path& rel, const std::string& text) {
    fs::create_directories((root / rel).parent_path());
    std::ofstream(root / rel, std::ios::binary) << text;
  }
  fs::path root;
};

TEST_F(PresetLibrary, PagePathsResolveOnlyInsideTheRoot) {
  const char* refused[] = {"",        "..\\x.80p", "../x.80p",    "a/../../x.80p", "a/..",        "C:",
                           "C:x.80p", "C:\\x.80p", "/etc/passwd", "\\x.80p",       "//host/x.80p"};
  fs::path out;
  for (const char* text : refused)
    EXPECT_FALSE(vlm::ResolveLibraryPath(text, root, out)) << text;
  EXPECT_FALSE(vlm::ResolveLibraryPath(std::string("a\0/../../x", 10), root, out));

  ASSERT_TRUE(vlm::ResolveLibraryPath("Factory/Bass.80p", root, out));
  EXPECT_EQ(root / "Factory" / "Bass.80p", out);
  ASSERT_TRUE(vlm::ResolveLibraryPath("./Bass.80p", root, out));
  EXPECT_EQ(root / "Bass.80p", out);
  // On Linux a backslash is part of the name.
  ASSERT_TRUE(vlm::ResolveLibraryPath("Pads\\Warm.80p", root, out));
  EXPECT_EQ(root / "Pads\\Warm.80p", out);
}

TEST_F(PresetLibrary, LinksInsideTheLibraryDoNotLeadOutOfIt) {
  const fs::path away = root.parent_path() / ("away-" + std::to_string(::getpid()));
  fs::create_directories(away);
  std::ofstream(away / "secret.80p") << "{}";
  fs::create_symlink(away / "secret.80p", root / "Evil.80p");
  fs::create_directory_symlink(away, root / "EvilDir");
  fs::create_directories(root / "Pads");
  std::ofstream(root / "Pads" / "Mine.80p") << "{}";
  fs::create_symlink(root / "Pads" / "Mine.80p", root / "Alias.80p"); // stays inside: allowed
  fs::path out;
  EXPECT_FALSE(vlm::ResolveLibraryPath("Evil.80p", root, out));
  EXPECT_FALSE(vlm::ResolveLibraryPath("EvilDir/secret.80p", root, out));
  EXPECT_FALSE(vlm::ResolveLibraryPath("EvilDir/new.80p", root, out));
  EXPECT_TRUE(vlm::ResolveLibraryPath("Alias.80p", root, out));
  fs::remove_all(away);
}

TEST_F(PresetLibrary, TheTreeListsOnlyFilesItsPathsLoadAgain) {
  Write("Pads\\Warm.80p", R"({"patch":{"params":{"patch.keyMode":0}}})");
  Write("bad\xFF name.80p", "{}");
  Write("..\\up.80p", "{}");
  Write("C:drive.80p", "{}");
  const json patches = vlm::ScanPresetTree(root);
  EXPECT_EQ(json::parse(R"([{"name":"Pads\\Warm","path":"Pads\\Warm.80p","isWhole":true}])"), patches);
  for (const json& entry : patches) {
    fs::path resolved;
    json document;
    std::string error;
    ASSERT_TRUE(vlm::ResolveLibraryPath(entry["path"], root, resolved));
    EXPECT_TRUE(vlm::ReadJsonFile(resolved, document, error)) << error;
  }
}

TEST_F(PresetLibrary, EntriesAreRootRelativeOrMarkedExternal) {
  EXPECT_EQ(json::parse(R"({"name":"Bass","path":"Factory/Bass.80p"})"),
            vlm::MakePresetEntry(root / "Factory" / "Bass.80p", root));
  const fs::path outside = root.parent_path() / "Elsewhere.80p";
  EXPECT_EQ((json{{"name", "Elsewhere"}, {"path", outside.string()}, {"isExternal", true}}),
            vlm::MakePresetEntry(outside, root));
  // A link inside the root that points out of it is outside.
  fs::create_directories(root.parent_path() / ("out-" + std::to_string(::getpid())));
  const fs::path away = root.parent_path() / ("out-" + std::to_string(::getpid()));
  fs::create_directory_symlink(away, root / "link");
  EXPECT_TRUE(vlm::MakePresetEntry(root / "link" / "x.80p", root).contains("isExternal"));
  fs::remove_all(away);

  EXPECT_EQ("Bass", vlm::PatchNameFromPath("Bass.80p"));
  EXPECT_EQ(".80p", vlm::PatchNameFromPath(root / ".80p"));
  EXPECT_EQ("Init", vlm::PatchNameFromPath("Factory/"));
}

TEST_F(PresetLibrary, ToneReferencesNameTheirPatchAndSlot) {
  EXPECT_EQ(json::parse(R"({"name":"lower","path":"embedded:builtin:init#lower","isEmbedded":true})"),
            vlm::MakeToneReference("", vlm::MakeBuiltinInitEntry(), "lower"));
  EXPECT_EQ(json::parse(R"({"name":"Pad","path":"embedded:scratch#upper","isEmbedded":true})"),
            vlm::MakeToneReference("Pad", json::object(), "upper"));
}

TEST_F(PresetLibrary, TreeMessageOfAFixtureFolderIsExact) {
  Write("b.80p", R"({"patch":{"params":{"patch.keyMode":0.3333333333333333}}})");
  Write("a/z.80p", R"({"patch":{"params":{"patch.keyMode":0}}})");
  Write("a.80p", "not json");
  Write("Odd.VLMP", R"({"patch":{"params":{"patch.keyMode":0.1}}})");
  Write("tone.80t", "{}");
  Write("notes.json", "{}");
  Write("- Mine/Lead.80p", R"({"patch":{"params":{}}})");
  fs::create_directory(root / "folder.80p"); // a folder with a document's name is no document
  fs::create_symlink(root / "b.80p", root / "linked.80p");

  const json expected = {{"presetRoot", root.string()}, {"patches", json::parse(R"([
         {"name":"Lead","path":"- Mine/Lead.80p","isWhole":false},
         {"name":"Odd","path":"Odd.VLMP","isWhole":true},
         {"name":"a","path":"a.80p","isWhole":false},
         {"name":"z","path":"a/z.80p","isWhole":true},
         {"name":"b","path":"b.80p","isWhole":false},
         {"name":"Init","path":"builtin:init","isBuiltin":true}])")}};
  const json message = vlm::BuildPresetTreeMessage(root);
  EXPECT_EQ(expected, message);
  // Compact, keys in byte order: what the page parses.
  EXPECT_EQ(0u, message.dump().find(
                    "{\"patches\":[{\"isWhole\":false,\"name\":\"Lead\",\"path\":\"- Mine/Lead.80p\"}"));

  // A root that cannot be walked, or an empty one, still gives the Init entry.
  EXPECT_EQ(json::array(), vlm::ScanPresetTree(root / "missing"));
  fs::create_directory(root / "empty");
  EXPECT_EQ(json::array({vlm::MakeBuiltinInitEntry()}),
            vlm::BuildPresetTreeMessage(root / "empty")["patches"]);
}

TEST_F(PresetLibrary, DecodedPatchesAreWrittenUnderSafeNamesInsideTheFolder) {
  EXPECT_EQ("ABC", vlm::SanitizePatchName("A/B:C?"));
  EXPECT_EQ("....etcpasswd", vlm::SanitizePatchName("../../etc/passwd"));
  EXPECT_EQ(" a\tb ", vlm::SanitizePatchName(" a\tb \"*<>|"));
  EXPECT_EQ("ab", vlm::SanitizePatchName(std::string("a\0b", 3)));

  const json document = {{"kind", "patch"}};
  EXPECT_TRUE(vlm::WritePatchToFolder(root, "A/B:C?", document));
  EXPECT_TRUE(fs::exists(root / "ABC.80p"));
  EXPECT_FALSE(vlm::WritePatchToFolder(root, "??", document));
  EXPECT_TRUE(vlm::WritePatchToFolder(root, "../../x", document));
  EXPECT_TRUE(fs::exists(root / "....x.80p"));
  EXPECT_TRUE(vlm::WritePatchToFolder(root, "ABC", json::object())); // replaces
  json back;
  std::string error;
  ASSERT_TRUE(vlm::ReadJsonFile(root / "ABC.80p", back, error));
  EXPECT_EQ(json::object(), back);
  EXPECT_FALSE(vlm::WritePatchToFolder(root / "ABC.80p", "x", document)); // the folder is a file

  EXPECT_EQ(json::parse(R"({"operation":"x","status":"ok"})"), vlm::MakeOperationResult("x", "ok", ""));
  EXPECT_EQ(json::parse(R"({"operation":"x","status":"error","message":"m"})"),
            vlm::MakeOperationResult("x", "error", "m"));
}

} // namespace

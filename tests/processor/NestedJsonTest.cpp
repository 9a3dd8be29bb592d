// JSON from outside nested far deeper than any document of ours (files, state chunks, page messages):
// each reader refuses it with a clear error, the program keeps running, and the user's other data stays.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "common/AppFolders.h"
#include "common/EParams.h"
#include "editor/EditorTestSupport.h"
#include "library/FileIO.h"
#include "library/PatchDocument.h"
#include "processor/editor/EditorTags.h"
#include "processor/librarian/VelmoraPresets.h"
#include "processor/state/PluginState.h"

namespace {

using namespace editortest;
using namespace vlm;
namespace fs = std::filesystem;
using nlohmann::json;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

// 200,000 levels of {"a": ...}: the size that took the program down (about 1 MB).
std::string DeepObject(int levels = 200000) {
  std::string text;
  text.reserve(static_cast<size_t>(levels) * 6 + 1);
  for (int i = 0; i < levels; ++i)
    text += R"({"a":)";
  text += "1";
  text.append(static_cast<size_t>(levels), '}');
  return text;
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(NestedJson, EveryFileReaderRefusesADeepFileAndTheProgramKeepsTheRest) {
  const fs::path settings = fs::path(GetAppDataFolder());
  const fs::path library = fs::path(GetUserDocumentsFolder());
  const std::string deep = DeepObject();
  const char* deepFiles[] = {"preferences.json", "window-state.json", "default-midi-map.vmm",
                             "standalone-midi.json"};
  for (const char* name : deepFiles)
    WriteFile(settings / name, deep);
  WriteFile(settings / "factory-presets.json", deep);
  WriteFile(library / "Mine" / "Deep.80p",
            R"({"format":"velmora-patch","kind":"patch","patch":)" + deep + "}");
  const std::string good = JsonFileText(ParseInitPatchDocument());
  WriteFile(library / "Mine" / "Good.80p", good);

  std::string error;
  json value;
  EXPECT_FALSE(ReadJsonFile(settings / "preferences.json", value, error));
  EXPECT_EQ("JSON nested deeper than 64 levels: " + (settings / "preferences.json").string(), error);

  // Construction reads the preferences, the window state, the default MIDI map and the port names.
  const std::string logBefore = LogText();
  RecordingProcessor rec;
  const std::string log = LogSince(logBefore);
  EXPECT_NE(std::string::npos, log.find("UIPrefs: load failed (JSON nested deeper than 64 levels"));
  EXPECT_NE(std::string::npos,
            log.find("WindowState: load failed/invalid (JSON nested deeper than 64 levels"));
  EXPECT_NE(std::string::npos,
            log.find("MidiMap: default map load failed (JSON nested deeper than 64 levels"));
  EXPECT_NE(std::string::npos,
            log.find("StandaloneMidi: load failed/invalid (JSON nested deeper than 64 levels"));

  // Listing the library (with the factory sync and its record) works and still shows the good patch.
  SendPresetLibrary(*rec.processor);
  const auto trees = rec.Tagged(MsgTag::kPresetLibrary);
  ASSERT_EQ(1u, trees.size());
  EXPECT_NE(std::string::npos, trees[0].payload.find("Mine/Good.80p"));

  rec.Clear();
  HandlePresetAction(*rec.processor, json{{"operation", "loadPatch"}, {"path", "Mine/Deep.80p"}}.dump(), {});
  const auto answers = rec.Tagged(MsgTag::kPresetActionResult);
  ASSERT_EQ(1u, answers.size());
  const json answer = json::parse(answers[0].payload);
  EXPECT_EQ("error", answer["status"]);
  EXPECT_NE(std::string::npos, answer["message"].get<std::string>().find("nested deeper than 64 levels"));

  // Nothing of the user's was removed or rewritten; the good patch still loads.
  for (const char* name : deepFiles)
    EXPECT_EQ(deep.size(), fs::file_size(settings / name)) << name;
  EXPECT_EQ(good, ReadText(library / "Mine" / "Good.80p"));
  rec.Clear();
  HandlePresetAction(*rec.processor, json{{"operation", "loadPatch"}, {"path", "Mine/Good.80p"}}.dump(), {});
  ASSERT_EQ(1u, rec.Tagged(MsgTag::kPresetActionResult).size());
  EXPECT_EQ("ok", json::parse(rec.Tagged(MsgTag::kPresetActionResult)[0].payload)["status"]);
}

TEST(NestedJson, AStateChunkWithADeepExtensionRestoresEverythingElse) {
  RecordingProcessor rec;
  Velmora& p = *rec.processor;
  PluginState s;
  for (int k = 0; k < kStateValueCount; ++k)
    s.values[static_cast<size_t>(k)] = p.GetParam(StateValueParam(k))->GetDefault();
  s.values[0] = p.GetParam(StateValueParam(0))->GetMax();
  s.bankState = R"({"expandedTones":true})";
  s.midiInName = "in";
  s.extension = R"({"params":)" + DeepObject() + "}";
  keel::ByteChunk chunk;
  ASSERT_TRUE(WritePluginState(chunk, s));
  EXPECT_EQ(chunk.Size(), p.UnserializeState(chunk, 0));
  EXPECT_EQ(p.GetParam(StateValueParam(0))->GetMax(), p.GetParam(StateValueParam(0))->Value());
  EXPECT_EQ(p.GetParam(kLfo2Sync)->GetDefault(), p.GetParam(kLfo2Sync)->Value());
  keel::ByteChunk saved;
  EXPECT_TRUE(p.SerializeState(saved)); // what was restored can be saved again
}

TEST(NestedJson, DeepPageMessagesAreIgnored) {
  RecordingProcessor rec;
  const std::string deep = DeepObject();
  rec.processor->OnMessageFromWebView((R"({"msg":"SAMFUI","data":)" + deep + "}").c_str());
  rec.processor->OnMessageFromWebView(deep.c_str());
  const int tags[] = {MsgTag::kBankState,      MsgTag::kPresetAction,    MsgTag::kUIPrefs,
                      MsgTag::kMidiPortSelect, MsgTag::kForwardKeyEvent, MsgTag::kMidiLearnRequest};
  for (const int tag : tags)
    rec.Send(tag, deep);
  const auto answers = rec.Tagged(MsgTag::kPresetActionResult);
  ASSERT_EQ(1u, answers.size());
  EXPECT_EQ("error", json::parse(answers[0].payload)["status"]);
  keel::ByteChunk saved;
  EXPECT_TRUE(rec.processor->SerializeState(saved));
}

} // namespace

// Preset actions from the page: saving and loading patches and tones, reading documents, and the file
// steps of dump imports and exports. Everything runs on the UI thread; the engine hears of a load only
// through the processor's thread-safe calls.
#include "processor/librarian/VelmoraPresets.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Keel/Core/BoundedJson.h"
#include "library/Base64Payload.h"
#include "library/BulkDumpFiles.h"
#include "library/FactoryPresets.h"
#include "library/FileDialogKinds.h"
#include "library/FileIO.h"
#include "library/InitPatchDocument.h"
#include "library/JsonMembers.h"
#include "library/ParamKeyTable.h"
#include "library/PatchDocument.h"
#include "library/PresetLibrary.h"
#include "library/SaveFileChoice.h"
#include "common/AppFolders.h"
#include "common/Logger.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "processor/librarian/Mks80PresetActions.h"
#include "common/EParams.h"

namespace vlm {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kOk = "ok";
constexpr const char* kError = "error";
constexpr const char* kCancelled = "cancelled";

// Short mutes cover the jump in sound a load makes; a whole patch needs a little longer than one tone.
constexpr double kPatchLoadMuteSeconds = 0.04;
constexpr double kToneLoadMuteSeconds = 0.02;

// One request's context: who answers and where the library is.
struct Action {
  Velmora& processor;
  const PresetDialogs& dialogs;
  const json& request;
  std::string operation;
  fs::path root;

  void Answer(const json& result) { processor.SendJsonToUI(MsgTag::kPresetActionResult, result); }
  void AnswerError(const std::string& message) { Answer(MakeOperationResult(operation, kError, message)); }
  void AnswerCancelled() { Answer(MakeOperationResult(operation, kCancelled, "")); }
  json Ok() const { return MakeOperationResult(operation, kOk, ""); }
  bool ChooseFile(int kind, bool save, const std::string& defaultName, fs::path& path) const {
    return dialogs.chooseFile && dialogs.chooseFile(kind, save, root, defaultName, path);
  }
  // A save dialog whose answer gets the kind's extension; false once the page has been answered (cancel,
  // or a renamed answer that would replace a file the user was never asked about).
  bool ChooseSaveFile(int kind, const std::string& defaultName, const std::function<void(fs::path&)>& adjust,
                      fs::path& path) {
    std::string error;
    switch (vlm::ChooseSaveFile(dialogs.chooseFile, kind, root, defaultName, adjust, path, error)) {
    case SaveFileChoice::kChosen:
      return true;
    case SaveFileChoice::kCancelled:
      AnswerCancelled();
      return false;
    case SaveFileChoice::kRefused:
      AnswerError(error);
      return false;
    }
    return false;
  }
};

// A document named by the page: the built-in Init patch or a file confined to the library.
struct LoadedDocument {
  json document;
  json fileRef;
  std::string name;
};

bool LoadLibraryDocument(Action& a, const std::string& path, const char* initError, LoadedDocument& out) {
  if (path == kBuiltinInitPath) {
    out.document = ParseInitPatchDocument();
    if (!IsPatchDocument(out.document)) {
      a.AnswerError(initError);
      return false;
    }
    out.fileRef = MakeBuiltinInitEntry();
    out.name = "Init";
    return true;
  }
  fs::path resolved;
  if (!ResolveLibraryPath(path, a.root, resolved)) {
    a.AnswerError("Invalid patch path");
    return false;
  }
  std::string error;
  if (!ReadPatchDocument(resolved, out.document, error)) {
    a.AnswerError(error);
    return false;
  }
  out.fileRef = MakePresetEntry(resolved, a.root);
  out.name = PatchNameFromPath(resolved);
  return true;
}

bool EffectChainLocked(Velmora& processor) {
  return static_cast<int>(processor.GetParam(kFxChainLock)->Value()) != 0;
}

void SavePatch(Action& a) {
  fs::path path;
  if (!a.ChooseSaveFile(
          kPatchDocumentFile, GetStringMember(a.request, "defaultName", "Init"),
          [](fs::path& p) { EnsureDocumentExtension(p, false); }, path))
    return;
  std::string error;
  if (!WriteJsonFile(path, BuildPatchDocument(a.processor), error)) {
    a.AnswerError(error);
    return;
  }
  json result = a.Ok();
  result["fileRef"] = MakePresetEntry(path, a.root);
  a.Answer(result);
  SendPresetLibrary(a.processor);
}

void LoadPatch(Action& a) {
  LoadedDocument loaded;
  // Every check comes before the first change: a failed load leaves the sound as it was.
  if (!LoadLibraryDocument(a, GetStringMember(a.request, "path", ""),
                           "Embedded Init.80p is not a Velmora patch document", loaded))
    return;
  const bool locked = EffectChainLocked(a.processor);
  a.processor.ArmOutputMute(kPatchLoadMuteSeconds);
  a.processor.RequestAllNotesOff(true, true);
  if (!locked)
    a.processor.RequestActiveEffectsReset();
  json values = json::object();
  ApplyPatchDocument(a.processor, loaded.document, locked, values);
  a.processor.SendCurrentPatchToDevice(); // the MKS-80 follows the load; its count is not needed
  json result = a.Ok();
  result["fileRef"] = loaded.fileRef;
  result["upperTone"] = MakeToneReference(loaded.name, loaded.fileRef, "upper");
  result["lowerTone"] = MakeToneReference(loaded.name, loaded.fileRef, "lower");
  result["values"] = std::move(values);
  a.Answer(result);
}

void LoadTone(Action& a) {
  const std::string slot = GetStringMember(a.request, "slot", "upper");
  const std::string source = GetStringMember(a.request, "source", "upper");
  const bool lower = slot == "lower";
  LoadedDocument loaded;
  if (!LoadLibraryDocument(a, GetStringMember(a.request, "path", ""), kNotAPatchFileError, loaded))
    return;
  const json toneParams = GetObjectMember(
      GetObjectMember(GetObjectMember(loaded.document, "patch"), source == "lower" ? "toneB" : "toneA"),
      "params");
  a.processor.ArmOutputMute(kToneLoadMuteSeconds);
  a.processor.RequestAllNotesOff(!lower, lower);
  json values = json::object();
  ApplyToneParams(a.processor, toneParams, lower ? kLowerToneOffset : 0, values);
  a.processor.SendCurrentPatchToDevice();
  json result = a.Ok();
  result["slot"] = slot;
  result["fileRef"] = MakeToneReference(loaded.name, loaded.fileRef, source);
  result["values"] = std::move(values);
  a.Answer(result);
}

void ReadPatchDocuments(Action& a) {
  const auto it = a.request.find("paths");
  const json paths = it != a.request.end() && it->is_array() ? *it : json::array();
  json documents = json::array();
  for (const json& element : paths) {
    if (!element.is_string())
      continue;
    const std::string path = element.get<std::string>();
    json entry = {{"document", nullptr}, {"path", path}};
    if (path == kBuiltinInitPath) {
      json init = json::parse(kInitPatchDocument, nullptr, false);
      if (!init.is_discarded())
        entry["document"] = std::move(init);
    } else {
      fs::path resolved;
      json document;
      std::string error;
      if (ResolveLibraryPath(path, a.root, resolved) && ReadJsonFile(resolved, document, error))
        entry["document"] = std::move(document);
    }
    documents.push_back(std::move(entry));
  }
  json result = a.Ok();
  result["documents"] = std::move(documents);
  a.Answer(result);
}

// Asks for an MKS-80 dump file and reads it; false once the page has been answered (cancel or error).
bool ChooseAndReadDumpFile(Action& a, fs::path& file, std::vector<std::uint8_t>& bytes) {
  if (!a.ChooseFile(kMks80DumpFile, false, "", file)) {
    a.AnswerCancelled();
    return false;
  }
  std::string error;
  if (!ReadFileBytes(file, bytes, error)) {
    a.AnswerError(error);
    return false;
  }
  return true;
}

void ImportMksDump(Action& a) {
  fs::path file;
  std::vector<std::uint8_t> bytes;
  if (!ChooseAndReadDumpFile(a, file, bytes))
    return;
  fs::path folder;
  if (!a.dialogs.chooseFolder ||
      !a.dialogs.chooseFolder(a.root, "Choose destination folder for Patches (.80p)", folder)) {
    a.AnswerCancelled();
    return;
  }
  json result = a.Ok();
  result["data"] = EncodeBase64(bytes.data(), bytes.size());
  result["patchFolderPath"] = PathToUtf8(folder);
  result["sourceName"] = PatchNameFromPath(file);
  a.Answer(result);
}

void BulkImportComplete(Action& a) {
  const std::string folder = GetStringMember(a.request, "patchFolderPath", "");
  if (folder.empty()) {
    a.AnswerError("patchFolderPath is empty");
    return;
  }
  const auto it = a.request.find("patches");
  int written = 0;
  if (it != a.request.end() && it->is_array()) {
    for (const json& element : *it) {
      if (WritePatchToFolder(Utf8ToPath(folder), GetStringMember(element, "name", ""),
                             GetObjectMember(element, "document")))
        ++written;
    }
  }
  json result = a.Ok();
  result["patchesWritten"] = written;
  result["patchDir"] = folder;
  a.Answer(result);
  SendPresetLibrary(a.processor);
}

void ExportCurrentAsMid(Action& a) {
  const std::string data = GetStringMember(a.request, "data", "");
  if (data.empty()) {
    a.AnswerError("data is empty");
    return;
  }
  std::vector<std::uint8_t> bytes;
  if (!DecodeBase64(data, bytes)) {
    a.AnswerError("base64 decode failed");
    return;
  }
  fs::path path;
  if (!a.ChooseSaveFile(kMks80DumpFile, GetStringMember(a.request, "defaultName", "Init"),
                        ApplyDumpFileExtension, path))
    return;
  // The page sends a MIDI file; under a ".syx" name it is written as the raw messages it carries.
  const std::vector<std::uint8_t> file = DumpFileContent(path, std::move(bytes));
  if (file.empty()) {
    a.AnswerError("No system-exclusive messages in the data for " + PathToUtf8(path));
    return;
  }
  std::string error;
  if (!WriteFileBytes(path, file.data(), file.size(), error)) {
    a.AnswerError(error);
    return;
  }
  json result = a.Ok();
  result["filePath"] = PathToUtf8(path);
  a.Answer(result);
}

void LoadMksMidForDump(Action& a) {
  fs::path file;
  std::vector<std::uint8_t> bytes;
  if (!ChooseAndReadDumpFile(a, file, bytes))
    return;
  json result = a.Ok();
  result["data"] = EncodeBase64(bytes.data(), bytes.size());
  result["sourceName"] = PathToUtf8(file.filename());
  result["filePath"] = PathToUtf8(file);
  a.Answer(result);
}

void Dispatch(Action& a) {
  const std::string& op = a.operation;
  if (op == "savePatch")
    SavePatch(a);
  else if (op == "loadPatch")
    LoadPatch(a);
  else if (op == "loadTone")
    LoadTone(a);
  else if (op == "readPatchDocuments")
    ReadPatchDocuments(a);
  else if (op == "importMksDump")
    ImportMksDump(a);
  else if (op == "bulkImportComplete")
    BulkImportComplete(a);
  else if (op == "exportCurrentAsMid")
    ExportCurrentAsMid(a);
  else if (op == "loadMksMidForDump")
    LoadMksMidForDump(a);
  else if (!HandleMks80PresetAction(a.processor, op, a.request, a.dialogs.chooseFile, a.dialogs.chooseFolder))
    a.Answer(MakeOperationResult(op.empty() ? "unknown" : op, kError, "Unsupported preset action"));
}

} // namespace

PresetDialogs MakeNativePresetDialogs(Velmora& processor) {
  PresetDialogs dialogs;
  dialogs.chooseFile = [&processor](int kind, bool save, const fs::path& start, const std::string& name,
                                    fs::path& path) {
    return ShowFileDialog(processor.GetParentWindow(), kind, save, start, name, path);
  };
  dialogs.chooseFolder = [&processor](const fs::path& start, const std::string& title, fs::path& path) {
    return ShowFolderDialog(processor.GetParentWindow(), start, title, path);
  };
  return dialogs;
}

void SendPresetLibrary(Velmora& processor) {
  const fs::path root = Utf8ToPath(GetUserDocumentsFolder());
  // Once per process, before the first tree: a second instance waits here until the first sync is done.
  static std::once_flag factorySync;
  std::call_once(factorySync, [&root] {
    try {
      // Files a save was writing when an earlier run died; this run's own saves have not started yet.
      const int stale = RemoveStaleTemporaryFiles(Utf8ToPath(GetAppDataFolder()), false) +
                        RemoveStaleTemporaryFiles(root, true);
      if (stale > 0)
        GetLogger().Log("PresetLibrary: removed %d temporary files left by an earlier run", stale);
      FactoryPresets(root);
    } catch (const std::exception& e) {
      GetLogger().Log("FactoryPresets: failed (%s)", e.what());
    }
  });
  processor.SendJsonToUI(MsgTag::kPresetLibrary, BuildPresetTreeMessage(root));
}

void HandlePresetAction(Velmora& processor, const std::string& payload, const PresetDialogs& dialogs) {
  const json request = keel::ParseJsonBounded(payload);
  if (request.is_discarded() || !request.is_object()) {
    processor.SendJsonToUI(MsgTag::kPresetActionResult,
                           MakeOperationResult("unknown", kError, "Failed to parse preset action JSON"));
    return;
  }
  Action action{processor, dialogs, request, GetStringMember(request, "operation", ""),
                Utf8ToPath(GetUserDocumentsFolder())};
  try {
    if (action.operation == "refreshLibrary")
      SendPresetLibrary(processor);
    else
      Dispatch(action);
  } catch (const std::exception& e) {
    // The page waits for an answer to every action; a fault still gives it one.
    GetLogger().Log("PresetAction[%s]: failed (%s)", action.operation.c_str(), e.what());
    action.AnswerError(e.what());
  }
}

void HandlePresetAction(Velmora& processor, const std::string& payload) {
  HandlePresetAction(processor, payload, MakeNativePresetDialogs(processor));
}

} // namespace vlm

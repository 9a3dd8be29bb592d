// The MKS-80 transfer actions of the page, on the processor's traffic state.
#include "processor/librarian/Mks80PresetActions.h"

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "library/Base64Payload.h"
#include "library/JsonMembers.h"
#include "library/PresetLibrary.h"
#include "common/Logger.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"

namespace vlm {

namespace {

void Answer(Velmora& processor, const nlohmann::json& result) {
  processor.SendJsonToUI(MsgTag::kPresetActionResult, result);
}

void DumpCurrentToMidi(Velmora& processor) {
  const int sent = processor.SendCurrentPatchToDevice();
  // The count is what a route took, so "ok" means the MKS-80 was really sent the whole patch.
  nlohmann::json result =
      MakeOperationResult("dumpCurrentToMidi", sent == 5 ? "ok" : "error",
                          sent == 5 ? "" : "The MIDI output took " + std::to_string(sent) + " of 5 messages");
  result["sysexMessages"] = sent;
  Answer(processor, result);
  GetLogger().Log("dumpCurrentToMidi: sent %d of 5 messages", sent);
}

void DumpMidFileStart(Velmora& processor, const nlohmann::json& request) {
  Mks80Traffic& traffic = processor.GetMks80Traffic();
  traffic.ArmSend({}); // the previous send is dropped before anything is checked
  const std::string data = GetStringMember(request, "data", "");
  if (data.empty()) {
    Answer(processor, MakeOperationResult("dumpMidFileStart", "error", "Empty payload"));
    return;
  }
  std::vector<std::uint8_t> bytes;
  if (!DecodeBase64(data, bytes)) {
    Answer(processor, MakeOperationResult("dumpMidFileStart", "error", "base64 decode failed"));
    return;
  }
  const std::size_t frames = traffic.ArmSend(std::move(bytes));
  if (frames == 0) {
    Answer(processor,
           MakeOperationResult("dumpMidFileStart", "error", "No MKS-80 DAT frames found in payload"));
    return;
  }
  GetLogger().Log("dumpMidFileStart: armed %zu DAT frames, awaiting RQF", frames);
}

void DumpMidFileCancel(Velmora& processor) {
  const Mks80Traffic::CancelOutcome outcome = processor.GetMks80Traffic().CancelSend();
  nlohmann::json result = MakeOperationResult("dumpMidFileStart", "cancelled", "");
  result["datMessages"] = outcome.acknowledged;
  Answer(processor, result);
  GetLogger().Log("dumpMidFileCancel: aborted (%d DATs sent before cancel, %s)", outcome.acknowledged,
                  outcome.wasActive ? "EOF sent" : "no EOF, was awaiting RQF");
}

void FormatChoice(Velmora& processor, const nlohmann::json& request, const DumpFileChooser& chooseFile,
                  const DumpFolderChooser& chooseFolder) {
  // Any choice, cancel included, uses the dump up.
  std::vector<std::uint8_t> dump;
  int count = 0;
  processor.GetMks80Traffic().TakeCompletedDump(dump, count);
  const std::string choice = GetStringMember(request, "choice", "cancel");
  if (choice == "cancel" || dump.empty())
    Answer(processor, MakeOperationResult("mksBulkDumpFormatChoice", "cancelled", ""));
  else if (choice == "patchTone")
    Answer(processor, ImportMksDump(dump, count, chooseFolder));
  else if (choice == "mid")
    Answer(processor, DispatchMks80DumpAsMidiFile(dump, count, chooseFile));
  else
    Answer(processor, MakeOperationResult("mksBulkDumpFormatChoice", "error", "Unknown format choice"));
}

} // namespace

bool HandleMks80PresetAction(Velmora& processor, const std::string& operation, const nlohmann::json& request,
                             const DumpFileChooser& chooseFile, const DumpFolderChooser& chooseFolder) {
  if (operation == "dumpCurrentToMidi") {
    DumpCurrentToMidi(processor);
  } else if (operation == "requestMksBulkDump") {
    const std::size_t size = processor.GetMks80Traffic().StartBulkRequest();
    if (size > 0)
      GetLogger().Log("requestMksBulkDump: sent RQF (%d bytes)", static_cast<int>(size));
  } else if (operation == "dumpMidFileStart") {
    DumpMidFileStart(processor, request);
  } else if (operation == "dumpMidFileCancel") {
    DumpMidFileCancel(processor);
  } else if (operation == "mksBulkDumpFormatChoice") {
    FormatChoice(processor, request, chooseFile, chooseFolder);
  } else {
    return false;
  }
  return true;
}

} // namespace vlm

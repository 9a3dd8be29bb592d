// The two ways out for a received MKS-80 dump: a MIDI file on disk, or patches decoded by the page.
#include "processor/librarian/BulkDumpChoice.h"

#include <nlohmann/json.hpp>

#include "library/Base64Payload.h"
#include "library/BulkDumpFiles.h"
#include "library/FileDialogKinds.h"
#include "library/FileIO.h"
#include "library/PresetLibrary.h"
#include "library/SaveFileChoice.h"
#include "common/AppFolders.h"
#include "common/Logger.h"

namespace vlm {

namespace fs = std::filesystem;

nlohmann::json DispatchMks80DumpAsMidiFile(const std::vector<std::uint8_t>& dump, int datCount,
                                           const DumpFileChooser& chooseFile) {
  constexpr const char* kOperation = "mksBulkDumpFormatChoice";
  if (dump.empty() || datCount < 1)
    return MakeOperationResult(kOperation, "error", "No dump data available");
  const std::vector<std::uint8_t> smf = BuildSysExDumpSmf(dump, datCount);
  if (smf.empty())
    return MakeOperationResult(kOperation, "error", "Failed to build SMF");
  fs::path path;
  std::string error;
  switch (ChooseSaveFile(chooseFile, kMks80DumpFile, Utf8ToPath(GetUserDocumentsFolder()),
                         MakeBackupFileName(), ApplyDumpFileExtension, path, error)) {
  case SaveFileChoice::kCancelled:
    return MakeOperationResult(kOperation, "cancelled", "");
  case SaveFileChoice::kRefused:
    return MakeOperationResult(kOperation, "error", error);
  case SaveFileChoice::kChosen:
    break;
  }
  // The content follows the name: a ".syx" file holds the raw messages, a ".mid" file the MIDI file.
  const std::vector<std::uint8_t> file = DumpFileContent(path, smf);
  if (!WriteFileBytes(path, file.data(), file.size(), error))
    return MakeOperationResult(kOperation, "error", error);
  nlohmann::json result = MakeOperationResult(kOperation, "ok", "");
  result["filePath"] = PathToUtf8(path);
  result["datMessages"] = datCount;
  GetLogger().Log("DispatchMks80DumpAsMidiFile: wrote %zu bytes to %s", file.size(),
                  PathToUtf8(path).c_str());
  return result;
}

nlohmann::json ImportMksDump(const std::vector<std::uint8_t>& dump, int datCount,
                             const DumpFolderChooser& chooseFolder) {
  constexpr const char* kOperation = "importMksDump";
  fs::path folder;
  if (!chooseFolder || !chooseFolder(Utf8ToPath(GetUserDocumentsFolder()),
                                     "Choose destination folder for received MKS-80 Patches (.80p)", folder))
    return MakeOperationResult(kOperation, "cancelled", "");
  nlohmann::json result = MakeOperationResult(kOperation, "ok", "");
  result["data"] = EncodeBase64(dump.data(), dump.size());
  result["patchFolderPath"] = PathToUtf8(folder);
  result["sourceName"] = "MKS-80 MIDI dump";
  result["datMessages"] = datCount;
  return result;
}

} // namespace vlm

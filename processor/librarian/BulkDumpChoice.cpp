// The two ways out for a received MKS-80 dump: a MIDI file on disk, or patches decoded by the page.
#include "processor/librarian/BulkDumpChoice.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

#include "library/Base64Payload.h"
#include "library/BulkDumpFiles.h"
#include "library/FileDialogKinds.h"
#include "library/FileIO.h"
#include "library/PresetLibrary.h"
#include "processor/AppFolders.h"
#include "processor/Logger.h"

namespace vlm {

namespace fs = std::filesystem;

nlohmann::json DispatchMks80DumpAsMidiFile(const std::vector<std::uint8_t>& dump, int datCount,
                                           const DumpFileChooser& chooseFile) {
  constexpr const char* kOperation = "mksBulkDumpFormatChoice";
  if (dump.empty() || datCount < 1)
    return MakeOperationResult(kOperation, "error", "No dump data available");
  fs::path path;
  if (!chooseFile ||
      !chooseFile(kMks80DumpFile, true, Utf8ToPath(GetUserDocumentsFolder()), MakeBackupFileName(), path))
    return MakeOperationResult(kOperation, "cancelled", "");
  // The file is a Standard MIDI File whatever the dialog offered, so a ".syx" name would mislead.
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext != ".mid" && ext != ".midi")
    path.replace_extension(".mid");
  const std::vector<std::uint8_t> file = BuildSysExDumpSmf(dump, datCount);
  if (file.empty())
    return MakeOperationResult(kOperation, "error", "Failed to build SMF");
  std::string error;
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

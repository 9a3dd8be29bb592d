// Save dialogs with an extension rule: a second question instead of a silent overwrite.
#include "library/SaveFileChoice.h"

#include <system_error>

#include "library/FileIO.h"

namespace vlm {

namespace fs = std::filesystem;

namespace {

// True when the rule kept the typed name (the dialog asked about it) or the new name is free.
bool SafeToWrite(const fs::path& typed, const fs::path& adjusted) {
  std::error_code ec;
  return adjusted == typed || !fs::exists(fs::symlink_status(adjusted, ec));
}

} // namespace

SaveFileChoice ChooseSaveFile(const SaveFileChooser& choose, int kind, const fs::path& startFolder,
                              const std::string& defaultName, const std::function<void(fs::path&)>& adjust,
                              fs::path& path, std::string& error) {
  fs::path typed;
  if (!choose || !choose(kind, true, startFolder, defaultName, typed))
    return SaveFileChoice::kCancelled;
  fs::path adjusted = typed;
  adjust(adjusted);
  if (!SafeToWrite(typed, adjusted)) {
    // Ask again about the name that would be written; the dialog itself asks before replacing it.
    if (!choose(kind, true, adjusted.parent_path(), PathToUtf8(adjusted.filename()), typed))
      return SaveFileChoice::kCancelled;
    adjusted = typed;
    adjust(adjusted);
    if (!SafeToWrite(typed, adjusted)) {
      error = "File already exists: " + PathToUtf8(adjusted) +
              " (type the name with its extension to replace it, or choose another name)";
      return SaveFileChoice::kRefused;
    }
  }
  path = adjusted;
  return SaveFileChoice::kChosen;
}

} // namespace vlm

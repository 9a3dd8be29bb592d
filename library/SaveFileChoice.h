// A save dialog whose answer an extension rule may rename: the renamed file is never replaced unasked.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace vlm {

// The shape of the program's file dialogs (kind, save, start folder, proposed name, chosen path); false
// when dismissed.
using SaveFileChooser = std::function<bool(int kind, bool save, const std::filesystem::path& startFolder,
                                           const std::string& defaultName, std::filesystem::path& path)>;

enum class SaveFileChoice { kChosen, kCancelled, kRefused };

// Threads: UI thread. Shows the save dialog and applies adjust (the extension rule) to its answer. The
// dialog asked about the name the user typed; when the rule changed it into the name of an existing file,
// the dialog is shown again with that name proposed, so that replacing it is confirmed there. When the second
// answer also renames onto an existing file, nothing is chosen: kRefused with a message saying why.
SaveFileChoice ChooseSaveFile(const SaveFileChooser& choose, int kind,
                              const std::filesystem::path& startFolder, const std::string& defaultName,
                              const std::function<void(std::filesystem::path&)>& adjust,
                              std::filesystem::path& path, std::string& error);

} // namespace vlm

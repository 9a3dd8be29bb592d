// The page's choice for a received MKS-80 dump: saved as a MIDI file, or handed back for import as patches.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vlm {

// The dialogs the choice opens (the same shapes as the preset actions' dialogs); false when dismissed.
using DumpFileChooser = std::function<bool(int kind, bool save, const std::filesystem::path& startFolder,
                                           const std::string& defaultName, std::filesystem::path& path)>;
using DumpFolderChooser = std::function<bool(const std::filesystem::path& startFolder,
                                             const std::string& title, std::filesystem::path& path)>;

// Threads: UI thread. The "mid" choice: a save dialog in the documents folder, the dump written as a
// Standard MIDI File, or as raw messages under a ".syx" name (any other ending becomes ".mid", asking
// again before that replaces a file); returns the tag 203 answer.
nlohmann::json DispatchMks80DumpAsMidiFile(const std::vector<std::uint8_t>& dump, int datCount,
                                           const DumpFileChooser& chooseFile);
// Threads: UI thread. The "patchTone" choice: a destination folder, then the dump in Base64 for the page to
// decode; nothing is written here. Returns the tag 203 answer.
nlohmann::json ImportMksDump(const std::vector<std::uint8_t>& dump, int datCount,
                             const DumpFolderChooser& chooseFolder);

} // namespace vlm

// The program's file kinds for the native dialogs: filters, default extensions and default file names.
#pragma once

#include <filesystem>
#include <string>

#include "Keel/Platform/FileDialogs.h"

namespace vlm {

// Stored and exchanged as an int; any other value means any file.
enum DocumentFileKind : int {
  kPatchDocumentFile = 0,
  kToneDocumentFile = 1,
  kMks80DumpFile = 2,
  kMidiMapFile = 3,
};

// The name ("Init" when empty) with the kind's extension appended unless its lower-cased form already ends
// with it; unchanged for a kind without an extension.
std::string MakeDefaultFileName(int kind, const std::string& name);

// What the dialog of a kind shows: its own file type, then "All Files (*.*)" (only that for other kinds),
// the default extension, and the proposed name when saving or when defaultName is not empty.
keel::FileDialogRequest MakeFileDialogRequest(int kind, bool save, const std::filesystem::path& startFolder,
                                              const std::string& defaultName);

// Threads: UI thread. True with the chosen path; false when dismissed or the dialog cannot be shown.
bool ShowFileDialog(void* owner, int kind, bool save, const std::filesystem::path& startFolder,
                    const std::string& defaultName, std::filesystem::path& path);
bool ShowFolderDialog(void* owner, const std::filesystem::path& startFolder, const std::string& title,
                      std::filesystem::path& path);

} // namespace vlm

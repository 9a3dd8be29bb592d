// Native open, save and folder pickers (GTK file choosers), modal to the owner window.
#pragma once

#include <string>
#include <vector>

namespace keel {

struct FileDialogFilter {
  std::string label;    // as shown, e.g. "MKS-80 Dump (*.mid;*.syx)"
  std::string patterns; // ";"-separated, e.g. "*.mid;*.midi;*.syx"; "*.*" means every file
};

struct FileDialogRequest {
  bool save = false;
  std::vector<FileDialogFilter> filters; // the first one is selected when the dialog opens
  std::string defaultExtension;          // without the dot; a saved name typed without one gets it
  std::string fileName;                  // proposed name (empty: none)
  std::string startFolder;               // opened when it is an existing folder
  std::string title;                     // empty: the toolkit's own
};

// Threads: UI thread only (the dialogs run a nested main loop until they close).
// Owner: a GTK widget or window (its top-level window owns the dialog), or null. True with the chosen path
// when the user confirms; false when dismissed, without a display, or on any failure. Saving asks before
// replacing an existing file; opening accepts only existing local files.
bool ShowFileDialog(void* owner, const FileDialogRequest& request, std::string& path);
// The same for one existing folder.
bool ShowFolderDialog(void* owner, const std::string& startFolder, const std::string& title,
                      std::string& path);

// The toolkit's patterns for one ";"-separated list: matching ignores letter case, as it does on the
// system these file kinds come from, and "*.*" matches every name ("*.80p" -> "*.80[pP]").
std::vector<std::string> CaseInsensitivePatterns(const std::string& patterns);
// path with "." + extension appended when its file name has no extension (extension empty: unchanged).
std::string AppendMissingExtension(const std::string& path, const std::string& extension);

} // namespace keel

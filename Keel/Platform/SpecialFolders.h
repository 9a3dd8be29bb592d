// Per-user special folders from the XDG base and user directories, and the temporary folder.
// The environment is read on every call so that a changed environment takes effect at once.
#pragma once

#include <string>
#include <string_view>

namespace keel {

enum class SpecialFolder {
  RoamingAppData, // $XDG_CONFIG_HOME, else $HOME/.config
  LocalAppData,   // $XDG_DATA_HOME, else $HOME/.local/share
  Documents,      // XDG_DOCUMENTS_DIR of user-dirs.dirs, else $HOME/Documents
  Desktop,        // XDG_DESKTOP_DIR of user-dirs.dirs, else $HOME/Desktop
};

// Writes the folder's path (UTF-8, zero-terminated) into out. False, with out empty, when the folder
// cannot be named (no HOME and no XDG variable) or the path does not fit in size bytes. With create the
// folder and its parents are created first (a failure to create is not reported).
bool SHGetSpecialFolderPathUTF8(void* owner, char* out, int size, SpecialFolder folder, bool create);

// The same lookup as a string; empty when the folder cannot be named.
std::string GetSpecialFolderPath(SpecialFolder folder, bool create = false);

// TEMP, else TMP, else TMPDIR, else "/tmp" (an empty variable counts as unset).
std::string GetTempFolderPath();

// Value of an environment variable; empty when unset.
std::string GetEnvironmentText(const char* name);

// Reads one entry (such as "XDG_DOCUMENTS_DIR") of a user-dirs.dirs text: "$HOME/..." or an absolute path
// in double quotes, with backslash escapes. Empty when missing, malformed, or set to $HOME itself (which
// means the folder is switched off).
std::string ParseUserDirsEntry(std::string_view fileText, std::string_view key, const std::string& home);

} // namespace keel

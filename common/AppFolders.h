// The per-user folders where the system keeps its files: settings and data, and the preset library.
#pragma once

#include <string>

// $XDG_CONFIG_HOME/Velmora, else $HOME/.config/Velmora, else the current folder itself. Not created here:
// each writer creates it before writing.
std::string GetAppDataFolder();

// The XDG documents folder (user-dirs.dirs), else $HOME/Documents, else the current folder.
std::string GetDocumentsFolder();

// GetDocumentsFolder()/Velmora, created with its parents when missing (a failure is ignored). Root of the
// preset library and start folder of the file dialogs.
std::string GetUserDocumentsFolder();

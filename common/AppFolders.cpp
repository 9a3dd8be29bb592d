// The per-user folders where the system keeps its files: settings and data, and the preset library.
#include "common/AppFolders.h"

#include "Keel/Platform/FileSystemUTF8.h"
#include "Keel/Platform/SpecialFolders.h"

namespace {
constexpr const char* kProductFolder = "Velmora";
}

std::string GetAppDataFolder() {
  // The XDG lookup already falls back to $HOME/.config, the counterpart of the profile folder.
  const std::string base = keel::GetSpecialFolderPath(keel::SpecialFolder::RoamingAppData);
  if (!base.empty())
    return keel::JoinPath(base, kProductFolder);
  return keel::GetCurrentFolderUTF8();
}

std::string GetDocumentsFolder() {
  const std::string documents = keel::GetSpecialFolderPath(keel::SpecialFolder::Documents);
  if (!documents.empty())
    return documents;
  return keel::GetCurrentFolderUTF8();
}

std::string GetUserDocumentsFolder() {
  const std::string folder = keel::JoinPath(GetDocumentsFolder(), kProductFolder);
  keel::CreateDirectoryTreeUTF8(folder);
  return folder;
}

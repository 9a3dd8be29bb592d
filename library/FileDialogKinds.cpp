// The program's file kinds for the native dialogs.
#include "library/FileDialogKinds.h"

#include <algorithm>
#include <cctype>

#include "library/FileIO.h"

namespace vlm {

namespace {

struct KindRow {
  const char* label;
  const char* patterns;
  const char* extension; // without the dot
};

constexpr KindRow kKinds[] = {
    {"Velmora Patch (*.80p)", "*.80p", "80p"},
    {"Velmora Tone (*.80t)", "*.80t", "80t"},
    {"MKS-80 Dump (*.mid;*.syx)", "*.mid;*.midi;*.syx", "mid"},
    {"Velmora MIDI Map (*.vmm)", "*.vmm", "vmm"},
};

const KindRow* FindKind(int kind) {
  return kind >= 0 && kind < static_cast<int>(std::size(kKinds)) ? &kKinds[kind] : nullptr;
}

std::string AsciiLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
  });
  return text;
}

} // namespace

std::string MakeDefaultFileName(int kind, const std::string& name) {
  std::string out = name.empty() ? "Init" : name;
  const KindRow* row = FindKind(kind);
  if (!row)
    return out;
  const std::string extension = std::string(".") + row->extension;
  const std::string lower = AsciiLower(out);
  if (lower.size() < extension.size() ||
      lower.compare(lower.size() - extension.size(), extension.size(), extension) != 0)
    out += extension;
  return out;
}

keel::FileDialogRequest MakeFileDialogRequest(int kind, bool save, const std::filesystem::path& startFolder,
                                              const std::string& defaultName) {
  keel::FileDialogRequest request;
  request.save = save;
  request.startFolder = PathToUtf8(startFolder);
  if (const KindRow* row = FindKind(kind)) {
    request.filters.push_back({row->label, row->patterns});
    request.defaultExtension = row->extension;
  }
  request.filters.push_back({"All Files (*.*)", "*.*"});
  if (save || !defaultName.empty())
    request.fileName = MakeDefaultFileName(kind, defaultName);
  return request;
}

bool ShowFileDialog(void* owner, int kind, bool save, const std::filesystem::path& startFolder,
                    const std::string& defaultName, std::filesystem::path& path) {
  std::string chosen;
  if (!keel::ShowFileDialog(owner, MakeFileDialogRequest(kind, save, startFolder, defaultName), chosen))
    return false;
  path = Utf8ToPath(chosen);
  return true;
}

bool ShowFolderDialog(void* owner, const std::filesystem::path& startFolder, const std::string& title,
                      std::filesystem::path& path) {
  std::string chosen;
  if (!keel::ShowFolderDialog(owner, PathToUtf8(startFolder), title, chosen))
    return false;
  path = Utf8ToPath(chosen);
  return true;
}

} // namespace vlm

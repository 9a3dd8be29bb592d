// The preset library's entries, path rules, tree scan and patch writing.
#include "library/PresetLibrary.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "library/FileIO.h"
#include "library/InitPatchDocument.h"
#include "library/JsonMembers.h"
#include "library/PatchDocument.h"
#include "common/Logger.h"

namespace vlm {

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool HasDotDot(const fs::path& path) {
  return std::any_of(path.begin(), path.end(), [](const fs::path& part) { return part == ".."; });
}

// "C:" or "C:x": a drive-qualified path from a page written for another system. Refused, as a path that
// names another volume never lies inside the library.
bool StartsWithDrive(const std::string& text) {
  return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

bool IsValidUtf8(const std::string& text) {
  try {
    (void)nlohmann::json(text).dump(); // the strict handler throws on invalid UTF-8
    return true;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

} // namespace

// The page names a file by its entry's path: listed is only what that path loads again. A name that is
// not UTF-8, or one a page path may not hold (a drive, a climbing backslash part), is left out.
bool CanBeLoadedByItsEntry(const nlohmann::json& entry, const fs::path& file, const fs::path& root) {
  const std::string path = GetStringMember(entry, "path", "");
  fs::path resolved;
  return !entry.contains("isExternal") && IsValidUtf8(path) && ResolveLibraryPath(path, root, resolved) &&
         resolved == file.lexically_normal();
}

nlohmann::json MakeOperationResult(const std::string& operation, const std::string& status,
                                   const std::string& message) {
  nlohmann::json result = {{"operation", operation}, {"status", status}};
  if (!message.empty())
    result["message"] = message;
  return result;
}

bool HasDocumentExtension(const fs::path& path, bool tone) {
  const std::string ext = LowerExtension(path);
  return tone ? (ext == ".80t" || ext == ".vlmt") : (ext == ".80p" || ext == ".vlmp");
}

std::string PatchNameFromPath(const fs::path& path) {
  if (!path.has_filename())
    return "Init";
  return PathToUtf8(path.stem());
}

bool IsPathInsideRoot(const fs::path& file, const fs::path& root, fs::path& relative) {
  std::error_code ec;
  const fs::path canonicalFile = fs::weakly_canonical(file, ec);
  if (ec)
    return false;
  const fs::path canonicalRoot = fs::weakly_canonical(root, ec);
  if (ec)
    return false;
  const fs::path rel = canonicalFile.lexically_relative(canonicalRoot);
  // "." is the root itself, which is no file of the library.
  if (rel.empty() || rel == "." || HasDotDot(rel) || rel.has_root_name() || rel.has_root_directory())
    return false;
  relative = rel;
  return true;
}

bool ResolveLibraryPath(const std::string& text, const fs::path& root, fs::path& out) {
  if (text.empty() || text.find('\0') != std::string::npos || StartsWithDrive(text))
    return false;
  // On Linux a backslash is part of a name. A path that would climb or be rooted when a page written for
  // another system reads it as a separator ("..\x") is still refused.
  std::string slashed = text;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const fs::path otherReading = Utf8ToPath(slashed);
  if (otherReading.has_root_directory() || HasDotDot(otherReading))
    return false;
  const fs::path path = Utf8ToPath(text);
  if (path.has_root_name() || path.has_root_directory() || HasDotDot(path))
    return false;
  const fs::path joined = (root / path).lexically_normal();
  // A link inside the library may lead out of it: the real path must lie inside the root as well.
  fs::path relative;
  if (!IsPathInsideRoot(joined, root, relative))
    return false;
  out = joined;
  return true;
}

nlohmann::json MakePresetEntry(const fs::path& file, const fs::path& root) {
  fs::path relative;
  if (IsPathInsideRoot(file, root, relative))
    return {{"name", PatchNameFromPath(file)}, {"path", PathToUtf8(relative)}};
  return {{"name", PatchNameFromPath(file)}, {"path", PathToUtf8(file)}, {"isExternal", true}};
}

nlohmann::json MakeBuiltinInitEntry() {
  return {{"name", "Init"}, {"path", kBuiltinInitPath}, {"isBuiltin", true}};
}

nlohmann::json MakeToneReference(const std::string& displayName, const nlohmann::json& patchReference,
                                 const std::string& slot) {
  const std::string path = "embedded:" + GetStringMember(patchReference, "path", "scratch") + "#" + slot;
  return {{"name", displayName.empty() ? slot : displayName}, {"path", path}, {"isEmbedded", true}};
}

bool ComparePresetEntriesByPath(const nlohmann::json& a, const nlohmann::json& b) {
  // std::string compares as unsigned bytes (char_traits<char>::compare is memcmp-like).
  return GetStringMember(a, "path", "") < GetStringMember(b, "path", "");
}

nlohmann::json ScanPresetTree(const fs::path& root) {
  std::vector<nlohmann::json> entries;
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  if (!ec) {
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
      if (ec)
        break;
      std::error_code statusError;
      // The link's own status: a link to a file is no library file, and links to folders are not entered.
      if (!fs::is_regular_file(it->symlink_status(statusError)) || statusError)
        continue;
      if (!HasDocumentExtension(it->path(), false))
        continue;
      nlohmann::json entry = MakePresetEntry(it->path(), root);
      if (!CanBeLoadedByItsEntry(entry, it->path(), root)) {
        GetLogger().Log("PresetLibrary: skipped '%s' (its name cannot be sent to the page and loaded)",
                        PathToUtf8(it->path()).c_str());
        continue;
      }
      entry["isWhole"] = ReadPatchIsWhole(it->path());
      entries.push_back(std::move(entry));
    }
  }
  std::sort(entries.begin(), entries.end(), ComparePresetEntriesByPath);
  nlohmann::json list = nlohmann::json::array();
  for (auto& entry : entries)
    list.push_back(std::move(entry));
  return list;
}

nlohmann::json BuildPresetTreeMessage(const fs::path& root) {
  nlohmann::json patches = ScanPresetTree(root);
  patches.push_back(MakeBuiltinInitEntry());
  return {{"presetRoot", PathToUtf8(root)}, {"patches", std::move(patches)}};
}

std::string SanitizePatchName(const std::string& name) {
  static constexpr char kRefused[] = {'/', '\\', '|', '"', '*', ':', '<', '>', '?', '\0'};
  std::string out;
  out.reserve(name.size());
  for (const char c : name) {
    if (std::find(std::begin(kRefused), std::end(kRefused), c) == std::end(kRefused))
      out.push_back(c);
  }
  return out;
}

bool WritePatchToFolder(const fs::path& folder, const std::string& name, const nlohmann::json& document) {
  const std::string safe = SanitizePatchName(name);
  if (safe.empty())
    return false;
  std::string error;
  return WriteJsonFile(folder / Utf8ToPath(safe + ".80p"), document, error);
}

} // namespace vlm

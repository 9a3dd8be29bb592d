// The preset library: how document files under the preset root become page entries, how the page's paths
// are confined to the root, and how decoded patches are named and written.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace vlm {

// Threads: UI thread (any single thread); nothing here keeps state.

// {"operation", "status"} plus "message" when it is not empty: the answer to an operation from the page.
nlohmann::json MakeOperationResult(const std::string& operation, const std::string& status,
                                   const std::string& message);

// ".80p"/".vlmp" (patch form) or ".80t"/".vlmt" (tone form), in any letter case.
bool HasDocumentExtension(const std::filesystem::path& path, bool tone);
// The file name without its last extension ("Bass.80p" -> "Bass", ".80p" stays); "Init" without a name.
std::string PatchNameFromPath(const std::filesystem::path& path);
// True with the root-relative path when the file, canonically, lies inside the root (never the root itself).
bool IsPathInsideRoot(const std::filesystem::path& file, const std::filesystem::path& root,
                      std::filesystem::path& relative);
// A page path joined to the root: refused when empty, rooted, holding a ".." component (also when a
// backslash is read as a separator), or when its real path (links resolved) lies outside the root.
bool ResolveLibraryPath(const std::string& text, const std::filesystem::path& root,
                        std::filesystem::path& out);

// {"name", "path"} with the root-relative path (a backslash stays part of a name), or the full path and
// "isExternal": true.
nlohmann::json MakePresetEntry(const std::filesystem::path& file, const std::filesystem::path& root);
// {"name": "Init", "path": "builtin:init", "isBuiltin": true}.
nlohmann::json MakeBuiltinInitEntry();
// {"name", "path": "embedded:<patch path or scratch>#<slot>", "isEmbedded": true}.
nlohmann::json MakeToneReference(const std::string& displayName, const nlohmann::json& patchReference,
                                 const std::string& slot);
// Byte order of "path" (missing counts as empty).
bool ComparePresetEntriesByPath(const nlohmann::json& a, const nlohmann::json& b);
// True when the entry's path, sent back by the page, loads this file again (inside the root, UTF-8, and
// accepted by ResolveLibraryPath).
bool CanBeLoadedByItsEntry(const nlohmann::json& entry, const std::filesystem::path& file,
                           const std::filesystem::path& root);
// Entries with "isWhole" of every patch file under the root (links not followed), sorted. A file whose
// entry would not load it again is logged and left out.
nlohmann::json ScanPresetTree(const std::filesystem::path& root);
// The tag 204 message: {"patches": the scan followed by the Init entry, "presetRoot"}.
nlohmann::json BuildPresetTreeMessage(const std::filesystem::path& root);

// The name without / \ | " * : < > ? and NUL; nothing else changes.
std::string SanitizePatchName(const std::string& name);
// Writes folder/<sanitized name>.80p, replacing a file of that name; false for an empty sanitized name.
bool WritePatchToFolder(const std::filesystem::path& folder, const std::string& name,
                        const nlohmann::json& document);

} // namespace vlm

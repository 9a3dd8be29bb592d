// The factory preset sync: install missing bank rows once, and remember installs and deletions.
#include "library/FactoryPresets.h"

#include <cstdio>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#include "library/FileIO.h"
#include "common/AppFolders.h"
#include "common/Logger.h"

namespace vlm {

namespace fs = std::filesystem;

namespace {

constexpr const char* kValidated = "validated";
constexpr const char* kRemoved = "removed";

nlohmann::json ReadRecord(const fs::path& recordPath) {
  std::error_code ec;
  nlohmann::json previous;
  std::string error;
  if (fs::exists(recordPath, ec) && ReadJsonFile(recordPath, previous, error) && previous.is_object())
    return previous;
  return nlohmann::json::object();
}

bool WasRecorded(const nlohmann::json& previous, const std::string& rel) {
  const auto it = previous.find(rel);
  return it != previous.end() && it->is_string() &&
         (it->get<std::string>() == kValidated || it->get<std::string>() == kRemoved);
}

// Any entry counts, a dangling link included: whatever stands at the path is the user's.
bool SomethingExists(const fs::path& target) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(target, ec)) && !ec;
}

// True only when the whole text reached the file; a file cut short (full disk, size limit) is removed, so
// it is not recorded and the next start tries again. "x" never replaces a file that appeared meanwhile.
bool InstallDocument(const fs::path& target, const std::string& text) {
  std::error_code ignored;
  fs::create_directories(target.parent_path(), ignored);
  std::FILE* file = std::fopen(target.c_str(), "wbx");
  if (!file)
    return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed)
    return true;
  fs::remove(target, ignored);
  GetLogger().Log("FactoryPresets: write failed, removed %s", PathToUtf8(target).c_str());
  return false;
}

} // namespace

FactoryPresetSyncCounts SyncFactoryPresets(const fs::path& root, const fs::path& recordPath,
                                           std::span<const FactoryPresetRow> bank) {
  const nlohmann::json previous = ReadRecord(recordPath);
  nlohmann::json next = nlohmann::json::object();
  FactoryPresetSyncCounts counts;
  for (const FactoryPresetRow& row : bank) {
    const fs::path target = root / Utf8ToPath(row.relativePath);
    if (SomethingExists(target)) {
      next[row.relativePath] = kValidated;
      ++counts.kept;
    } else if (WasRecorded(previous, row.relativePath)) {
      next[row.relativePath] = kRemoved;
      ++counts.removed;
    } else if (InstallDocument(target, row.documentText)) {
      next[row.relativePath] = kValidated;
      ++counts.copied;
    }
  }
  std::string error;
  if (!WriteJsonFile(recordPath, next, error))
    GetLogger().Log("FactoryPresets: state save failed (%s)", error.c_str());
  GetLogger().Log("FactoryPresets: synced (copied=%d kept=%d removed=%d) -> %s", counts.copied, counts.kept,
                  counts.removed, PathToUtf8(recordPath).c_str());
  return counts;
}

void FactoryPresets(const fs::path& root) {
  SyncFactoryPresets(root, Utf8ToPath(GetAppDataFolder()) / "factory-presets.json", FactoryPresetBank());
}

} // namespace vlm

// Installs the factory bank into the preset library once, respecting what the user deleted or saved.
#pragma once

#include <filesystem>
#include <span>

#include "library/FactoryPresetBank.h"

namespace vlm {

struct FactoryPresetSyncCounts {
  int copied = 0;
  int kept = 0;
  int removed = 0;
};

// Threads: UI thread, once per process (the caller keeps the once).
// The sync against the record file {relative path: "validated" | "removed"}: an existing file is never
// touched, a preset that was installed and has gone stays gone, a preset that cannot be written is not
// recorded (so the next process tries again). Logs its outcome.
FactoryPresetSyncCounts SyncFactoryPresets(const std::filesystem::path& root,
                                           const std::filesystem::path& recordPath,
                                           std::span<const FactoryPresetRow> bank);
// The product's bank with the record factory-presets.json in the per-user settings folder.
void FactoryPresets(const std::filesystem::path& root);

} // namespace vlm

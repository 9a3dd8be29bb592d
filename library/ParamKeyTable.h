// The keys that name parameters in patch documents and in the plug-in state extension.
#pragma once

#include <array>
#include <cstdint>

namespace vlm {

struct ParamKeyRow {
  std::int32_t index; // parameter index (EParams) before any offset
  const char* key;
};

constexpr int kParamKeyRowCount = 141;

// Runs of consecutive rows, taken as (first row, row count, index offset).
constexpr int kPatchRowsFirst = 0; // 78 rows: 33 patch parameters, then the five effect slots
constexpr int kPatchRowsCount = 78;
constexpr int kPatchRowsWithoutFxCount = 33; // what a load applies while the effect chain is locked
constexpr int kToneRowsFirst = 78;           // 49 rows; Upper offset 0, Lower offset 49
constexpr int kToneRowsCount = 49;
constexpr int kToneSyncRowsFirst = 127; // lfo1.sync, lfo1.syncDiv; Upper offset 0, Lower offset 2
constexpr int kToneSyncRowsCount = 2;
constexpr int kSyncExtensionRowsFirst = 129; // the eight LFO sync keys of the plug-in state
constexpr int kSyncExtensionRowsCount = 8;
constexpr int kPatchLfo2SyncRowsFirst = 137; // patch.lfo2Sync ... patch.lower.lfo2SyncDiv
constexpr int kPatchLfo2SyncRowsCount = 4;

constexpr int kLowerToneOffset = 49;
constexpr int kLowerToneSyncOffset = 2;

extern const std::array<ParamKeyRow, kParamKeyRowCount> ParamKeyTable;

} // namespace vlm

// The fixed tables between MKS-80 parameter numbers and this instrument's parameter indices, and the
// decoding of one received parameter value into a change.
#pragma once

#include <array>
#include <cstdint>

#include "library/Mks80Values.h"

namespace vlm {

struct MksMapRow {
  std::int32_t index; // -1: no counterpart
  MksValueRule rule;
};

// Row number = MKS-80 tone parameter number = position in a tone APR; Upper indices (Lower adds 49).
extern const std::array<MksMapRow, 48> SysExToneMap;
// Row number = MKS-80 patch parameter number = position in a patch APR; Upper indices (for the Lower
// group the part block 6-16 becomes 170-180; 3, 4 and 5 stay).
extern const std::array<MksMapRow, 15> SysExPatchMap;
// Level 0x40: this instrument's own parameters that the MKS-80 lacks (group ignored).
extern const std::array<MksMapRow, 5> SysExExtraMap;

constexpr std::uint8_t kMksLevelTone = 0x20;
constexpr std::uint8_t kMksLevelPatch = 0x30;
constexpr std::uint8_t kMksLevelExtra = 0x40;
constexpr std::uint8_t kMksGroupUpper = 0x01;
constexpr std::uint8_t kMksGroupLower = 0x02;
constexpr int kMaxMksParamChanges = 64;

// Decoded changes of one parameter message; entries [0, count) are valid, in message order.
struct MksParamChanges {
  struct Entry {
    std::int32_t index = -1;
    double normalized = 0.0;
  };
  bool ok = false;
  int count = 0;
  const char* error = nullptr; // a fixed message, or none
  std::array<Entry, kMaxMksParamChanges> entries{};
};

// Appends the change of one (level, group, parameter number, data byte). True also when the number has no
// counterpart (nothing appended) and when the result is full (the change is dropped); false only for a
// group other than 1 or 2, or a level it does not know (0x40 needs extensionAllowed).
bool MapSysExValue(MksParamChanges& result, std::uint8_t level, std::uint8_t group, std::uint8_t number,
                   std::uint8_t byte, bool extensionAllowed);

} // namespace vlm

// Builders of the MKS-80 system-exclusive messages the instrument sends.
#include "library/Mks80Messages.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/EParams.h"
#include "library/Mks80ParamMap.h"

namespace vlm {

namespace {

constexpr std::uint8_t kFileName[6] = {'M', 'K', 'S', '-', '8', '0'};

std::uint8_t Unit(int unit) {
  return static_cast<std::uint8_t>(unit & 0x0F);
}

double ReadFrom(const keel::IEditorDelegate* processor, int index) {
  if (!processor || index < 0 || index >= processor->NParams())
    return 0.0;
  const keel::IParam* param = processor->GetParam(index);
  return param ? param->GetNormalized() : 0.0;
}

bool HasRoom(const std::uint8_t* out, std::size_t capacity, std::size_t length) {
  return out && capacity >= length;
}

std::uint8_t EncodeRow(const MksMapRow& row, int index, ValueReader reader, const void* context) {
  if (row.index < 0 || row.rule == MksValueRule::None)
    return 0;
  return EncodeMksValue(row.rule, reader(index, context)) & 0x7F;
}

std::size_t BuildFileMessage(std::uint8_t op, int unit, std::uint8_t* out, std::size_t capacity) {
  if (!HasRoom(out, capacity, kMksFileMessageLength))
    return 0;
  const std::uint8_t head[] = {0xF0, 0x41, op, Unit(unit), kMksFormatType};
  std::memcpy(out, head, sizeof head);
  std::memcpy(out + 5, kFileName, sizeof kFileName);
  out[11] = 0x00; // the file name's checksum byte, always 0 in this protocol
  out[12] = 0xF7;
  return kMksFileMessageLength;
}

// The first row of a map whose index equals key and that has a rule.
int FindRow(std::span<const MksMapRow> map, int key) {
  for (std::size_t row = 0; row < map.size(); ++row)
    if (map[row].index == key && map[row].rule != MksValueRule::None)
      return static_cast<int>(row);
  return -1;
}

} // namespace

double ReadParamValue(int index, const void* context) {
  return ReadFrom(static_cast<const keel::IEditorDelegate*>(context), index);
}

double ReadParamValueByRef(int index, const void* context) {
  const auto* ref = static_cast<const keel::IEditorDelegate* const*>(context);
  return ref ? ReadFrom(*ref, index) : 0.0;
}

double ReadToneValue(int index, const void* context) {
  const auto* tone = static_cast<const ToneReadContext*>(context);
  return tone ? ReadFrom(tone->processor, tone->lower ? index + kNumToneParams : index) : 0.0;
}

std::size_t BuildProgramMessage(int unit, int program, std::uint8_t* out, std::size_t capacity) {
  if (!HasRoom(out, capacity, kMksProgramLength))
    return 0;
  const std::uint8_t message[kMksProgramLength] = {0xF0,           0x41,
                                                   kMksOpProgram,  Unit(unit),
                                                   kMksFormatType, kMksLevelPatch,
                                                   0x00,           static_cast<std::uint8_t>(program & 0x7F),
                                                   0x00,           0xF7};
  std::memcpy(out, message, sizeof message);
  return kMksProgramLength;
}

namespace {

// An APR message of one level: the head, one value byte per row of `map`, F7. `indexOf(row index)` is the
// parameter a row reads.
template <std::size_t kRows, typename IndexOf>
std::size_t BuildAprMessage(std::uint8_t level, const std::array<MksMapRow, kRows>& map, int group, int unit,
                            ValueReader reader, const void* context, std::uint8_t* out, std::size_t capacity,
                            IndexOf indexOf) {
  constexpr std::size_t kLength = kRows + 8;
  if ((group != kMksGroupUpper && group != kMksGroupLower) || !reader || !HasRoom(out, capacity, kLength))
    return 0;
  const std::uint8_t head[] = {
      0xF0, 0x41, kMksOpApr, Unit(unit), kMksFormatType, level, static_cast<std::uint8_t>(group)};
  std::memcpy(out, head, sizeof head);
  for (std::size_t row = 0; row < kRows; ++row)
    out[7 + row] = EncodeRow(map[row], indexOf(map[row].index), reader, context);
  out[kLength - 1] = 0xF7;
  return kLength;
}

} // namespace

std::size_t BuildAprToneMessage(int group, int unit, ValueReader reader, const void* context,
                                std::uint8_t* out, std::size_t capacity) {
  static_assert(SysExToneMap.size() + 8 == kMksAprToneLength);
  return BuildAprMessage(kMksLevelTone, SysExToneMap, group, unit, reader, context, out, capacity,
                         [](int index) { return index; });
}

std::size_t BuildAprPatchMessage(int group, int unit, ValueReader reader, const void* context,
                                 std::uint8_t* out, std::size_t capacity) {
  static_assert(SysExPatchMap.size() + 8 == kMksAprPatchLength);
  // The lower part's performance parameters stand at their own indices.
  return BuildAprMessage(kMksLevelPatch, SysExPatchMap, group, unit, reader, context, out, capacity,
                         [group](int index) {
                           if (group == kMksGroupLower && index >= kOctaveShift && index <= kAtMode)
                             index += kLowerOctaveShift - kOctaveShift;
                           return index;
                         });
}

std::size_t BuildIprMessage(int index, int unit, ValueReader reader, const void* context, std::uint8_t* out,
                            std::size_t capacity) {
  if (index < 0 || !reader || !HasRoom(out, capacity, kMksIprLength))
    return 0;
  std::uint8_t level = 0;
  std::uint8_t group = kMksGroupUpper;
  int row = -1;
  MksValueRule rule = MksValueRule::None;
  if (index >= kUpperToneFirst && index < kLowerToneFirst + kNumToneParams) {
    const bool lower = index >= kLowerToneFirst;
    row = FindRow(SysExToneMap, lower ? index - kNumToneParams : index);
    if (row < 0)
      return 0;
    level = kMksLevelTone;
    group = lower ? kMksGroupLower : kMksGroupUpper;
    rule = SysExToneMap[static_cast<std::size_t>(row)].rule;
  } else {
    const bool lower = index >= kLowerOctaveShift && index <= kLowerAtMode;
    row = FindRow(SysExPatchMap, lower ? index - (kLowerOctaveShift - kOctaveShift) : index);
    if (row >= 0) {
      level = kMksLevelPatch;
      group = lower ? kMksGroupLower : kMksGroupUpper;
      rule = SysExPatchMap[static_cast<std::size_t>(row)].rule;
    } else {
      row = FindRow(SysExExtraMap, index);
      if (row < 0)
        return 0;
      level = kMksLevelExtra;
      rule = SysExExtraMap[static_cast<std::size_t>(row)].rule;
    }
  }
  const std::uint8_t message[kMksIprLength] = {
      0xF0,
      0x41,
      kMksOpIpr,
      Unit(unit),
      kMksFormatType,
      level,
      group,
      static_cast<std::uint8_t>(row & 0x7F),
      static_cast<std::uint8_t>(EncodeMksValue(rule, reader(index, context)) & 0x7F),
      0xF7};
  std::memcpy(out, message, sizeof message);
  return kMksIprLength;
}

std::size_t BuildWsfMessage(int unit, std::uint8_t* out, std::size_t capacity) {
  return BuildFileMessage(kMksOpWsf, unit, out, capacity);
}

std::size_t BuildRqfMessage(int unit, std::uint8_t* out, std::size_t capacity) {
  return BuildFileMessage(kMksOpRqf, unit, out, capacity);
}

std::size_t BuildShortHandshakeMessage(std::uint8_t operation, int unit, std::uint8_t* out,
                                       std::size_t capacity) {
  if ((operation != kMksOpAck && operation != kMksOpEof && operation != kMksOpErr &&
       operation != kMksOpRjc) ||
      !HasRoom(out, capacity, kMksShortHandshakeLength))
    return 0;
  const std::uint8_t message[kMksShortHandshakeLength] = {0xF0,       0x41,           operation,
                                                          Unit(unit), kMksFormatType, 0xF7};
  std::memcpy(out, message, sizeof message);
  return kMksShortHandshakeLength;
}

std::size_t BuildEofMessage(int unit, std::uint8_t* out, std::size_t capacity) {
  return BuildShortHandshakeMessage(kMksOpEof, unit, out, capacity);
}

std::uint8_t DatChecksum(std::span<const std::uint8_t> data) {
  unsigned sum = 0;
  for (const std::uint8_t b : data)
    sum += b;
  return static_cast<std::uint8_t>((0u - sum) & 0x7Fu);
}

std::size_t BuildDatMessage(int unit, std::uint8_t format,
                            std::span<const std::uint8_t, kMksDatDataBytes> data, std::uint8_t* out,
                            std::size_t capacity) {
  if ((format != kMksFormatType && format != 0x01) || !HasRoom(out, capacity, kMksDatLength) ||
      std::any_of(data.begin(), data.end(), [](std::uint8_t b) { return b >= 0x80; }))
    return 0;
  const std::uint8_t head[] = {0xF0, 0x41, kMksOpDat, Unit(unit), format};
  std::memcpy(out, head, sizeof head);
  std::memcpy(out + 5, data.data(), kMksDatDataBytes);
  out[5 + kMksDatDataBytes] = DatChecksum(data);
  out[kMksDatLength - 1] = 0xF7;
  return kMksDatLength;
}

} // namespace vlm

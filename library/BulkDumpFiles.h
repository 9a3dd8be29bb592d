// The Standard MIDI File in which a bulk dump from the MKS-80 is stored, and its default file name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vlm {

// Format 0, one track, 480 ticks per quarter at 500000 us per quarter: the WSF, every F0 ... F7 message of
// the dump 192 ticks (200 ms) apart, and the EOF; the unit is the first DAT's. Empty when the bytes are
// empty, the count is 0 or less, or the bytes hold no complete message.
std::vector<std::uint8_t> BuildSysExDumpSmf(std::span<const std::uint8_t> dump, int datCount);
// Four bytes, most significant first.
void AppendUInt32BE(std::vector<std::uint8_t>& out, std::uint32_t value);
// The MIDI variable-length quantity: 7 bits a byte, most significant first, bit 7 on all but the last.
void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);
// "MKS-80-Backup-" and the local time as %Y%m%d-%H%M%S, without an extension.
std::string MakeBackupFileName();

} // namespace vlm

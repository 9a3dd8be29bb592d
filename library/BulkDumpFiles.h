// The Standard MIDI File in which a bulk dump from the MKS-80 is stored, and its default file name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vlm {

// Format 0, one track, 480 ticks per quarter at 500000 us per quarter: the WSF, every F0 ... F7 message of
// the dump 192 ticks (200 ms) apart, and the EOF; the unit is the first DAT's. Empty when the bytes are
// empty, the count is 0 or less, or the bytes hold no complete message.
std::vector<std::uint8_t> BuildSysExDumpSmf(std::span<const std::uint8_t> dump, int datCount);
// The system-exclusive messages of a Standard MIDI File as raw F0 ... F7 bytes, in track order (a message
// split over F0 and F7 continuation events comes out whole): the content of a ".syx" file. Empty when the
// bytes are not a MIDI file, a chunk runs past the end, or no message is found.
std::vector<std::uint8_t> SysExFromSmf(std::span<const std::uint8_t> smf);
// A dump file keeps ".mid", ".midi" or ".syx" (any letter case); any other name gets ".mid".
void ApplyDumpFileExtension(std::filesystem::path& path);
// ".syx" in any letter case: the file holds raw F0 ... F7 messages, as every librarian reads it.
bool IsRawSysExFileName(const std::filesystem::path& path);
// The bytes a dump file of that name holds: a MIDI file as it is for ".mid"/".midi"; for ".syx" its
// system-exclusive messages raw (raw messages pass unchanged). Empty when the bytes cannot be converted.
std::vector<std::uint8_t> DumpFileContent(const std::filesystem::path& path, std::vector<std::uint8_t> bytes);
// Four bytes, most significant first.
void AppendUInt32BE(std::vector<std::uint8_t>& out, std::uint32_t value);
// The MIDI variable-length quantity: 7 bits a byte, most significant first, bit 7 on all but the last.
void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);
// "MKS-80-Backup-" and the local time as %Y%m%d-%H%M%S, without an extension.
std::string MakeBackupFileName();

} // namespace vlm

// Builders of every MKS-80 system-exclusive message the instrument sends: program select, tone and patch
// dumps (APR), single parameter changes (IPR) and the handshake messages of a bulk transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "Keel/Core/IEditorDelegate.h"

namespace vlm {

// Operation codes (byte 2 of every message).
constexpr std::uint8_t kMksOpProgram = 0x34;
constexpr std::uint8_t kMksOpApr = 0x35;
constexpr std::uint8_t kMksOpIpr = 0x36;
constexpr std::uint8_t kMksOpWsf = 0x40;
constexpr std::uint8_t kMksOpRqf = 0x41;
constexpr std::uint8_t kMksOpDat = 0x42;
constexpr std::uint8_t kMksOpAck = 0x43;
constexpr std::uint8_t kMksOpEof = 0x45;
constexpr std::uint8_t kMksOpErr = 0x4E;
constexpr std::uint8_t kMksOpRjc = 0x4F;
constexpr std::uint8_t kMksFormatType = 0x20;

constexpr std::size_t kMksProgramLength = 10;
constexpr std::size_t kMksAprToneLength = 56;
constexpr std::size_t kMksAprPatchLength = 23;
constexpr std::size_t kMksIprLength = 10;
constexpr std::size_t kMksFileMessageLength = 13;   // WSF, RQF
constexpr std::size_t kMksShortHandshakeLength = 6; // ACK, EOF, ERR, RJC
constexpr std::size_t kMksDatLength = 255;
constexpr std::size_t kMksDatDataBytes = 248;

// Reads the instrument's current normalized value of a parameter index for the builders.
using ValueReader = double (*)(int index, const void* context);
// context: a const keel::IEditorDelegate* (pass the processor converted to that base, not a raw this).
double ReadParamValue(int index, const void* context);
// context: a const keel::IEditorDelegate* const* (the address of such a pointer).
double ReadParamValueByRef(int index, const void* context);
// context: a const ToneReadContext*; reads index + 49 when lower is set.
struct ToneReadContext {
  const keel::IEditorDelegate* processor = nullptr;
  bool lower = false;
};
double ReadToneValue(int index, const void* context);

// Builders write one whole message into out and return its length, or 0 (and write nothing) when out is
// missing or too small or an argument is out of range. The unit is masked to its low nibble. Pure.

// F0 41 34 0n 20 30 00 pp 00 F7 (pp = program & 7F).
std::size_t BuildProgramMessage(int unit, int program, std::uint8_t* out, std::size_t capacity);
// All 48 tone values of group 1 (Upper) or 2 (Lower); the reader is asked for Upper indices, so the Lower
// values come from a reader context that adds 49 (ReadToneValue).
std::size_t BuildAprToneMessage(int group, int unit, ValueReader reader, const void* context,
                                std::uint8_t* out, std::size_t capacity);
// The 15 patch values; group 2 reads the Lower part block (170-180) but the shared 3, 4 and 5.
std::size_t BuildAprPatchMessage(int group, int unit, ValueReader reader, const void* context,
                                 std::uint8_t* out, std::size_t capacity);
// One parameter change; 0 for an index without an MKS-80 counterpart.
std::size_t BuildIprMessage(int index, int unit, ValueReader reader, const void* context, std::uint8_t* out,
                            std::size_t capacity);
// F0 41 40|41 0n 20 "MKS-80" 00 F7.
std::size_t BuildWsfMessage(int unit, std::uint8_t* out, std::size_t capacity);
std::size_t BuildRqfMessage(int unit, std::uint8_t* out, std::size_t capacity);
// F0 41 op 0n 20 F7 for ACK, EOF, ERR or RJC; 0 for another operation.
std::size_t BuildShortHandshakeMessage(std::uint8_t operation, int unit, std::uint8_t* out,
                                       std::size_t capacity);
std::size_t BuildEofMessage(int unit, std::uint8_t* out, std::size_t capacity);
// F0 41 42 0n ff d0..d247 cs F7 with its checksum; format 0x20 or 0x01 and 7-bit data, else 0.
std::size_t BuildDatMessage(int unit, std::uint8_t format,
                            std::span<const std::uint8_t, kMksDatDataBytes> data, std::uint8_t* out,
                            std::size_t capacity);
// (0 - sum of the data) & 7F, so that the data and the checksum sum to a multiple of 128.
std::uint8_t DatChecksum(std::span<const std::uint8_t> data);

} // namespace vlm

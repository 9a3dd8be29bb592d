// Parsers of every MKS-80 system-exclusive message the instrument accepts, and the search for DAT frames
// in a byte stream. Pure: outside bytes are checked before anything is read from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "library/Mks80Messages.h"
#include "library/Mks80ParamMap.h"

namespace vlm {

// A parsed handshake message (WSF, RQF, DAT, ACK, EOF, ERR, RJC).
struct MksHandshakeFrame {
  bool ok = false;
  std::uint8_t operation = 0; // 0: not a handshake message; a failed DAT keeps 0x42 (to be answered ERR)
  std::uint8_t unit = 0;
  std::uint8_t format = 0;
  std::uint8_t checksum = 0;
  const char* error = nullptr;                       // a fixed message, or none
  std::array<std::uint8_t, kMksDatDataBytes> data{}; // zero unless a DAT passed its checks
};

struct MksFrameSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool operator==(const MksFrameSpan&) const = default;
};

// A message of another kind gives ok false and no error; a malformed one of the parser's kind ok false and
// an error text. More than 64 changes are cut at 64 without error.
MksParamChanges ParseIprMessage(const std::uint8_t* data, std::size_t length);
MksParamChanges ParseAprMessage(const std::uint8_t* data, std::size_t length);
MksHandshakeFrame ParseHandshakeMessage(const std::uint8_t* data, std::size_t length);

// Every F0 ... F7 frame whose bytes 1 and 2 are 41 42 and that is at least 4 bytes long, in order. Bytes
// outside frames are skipped; an F0 before the F7 abandons the unfinished frame and starts a new one
// there (a status byte cannot stand inside a message). Checksums are not examined.
std::vector<MksFrameSpan> FindDatFrames(std::span<const std::uint8_t> bytes);

} // namespace vlm

// Parsers of the MKS-80 system-exclusive messages the instrument accepts.
#include "library/Mks80Parser.h"

#include <cstring>

namespace vlm {

namespace {

void Fail(MksParamChanges& r, const char* error) {
  r.ok = false;
  r.count = 0;
  r.error = error;
}

} // namespace

MksParamChanges ParseIprMessage(const std::uint8_t* data, std::size_t length) {
  MksParamChanges r;
  if (!data || length < 9 || data[0] != 0xF0 || data[1] != 0x41 || data[2] != kMksOpIpr)
    return r;
  if (data[3] & 0xF0)
    return Fail(r, "IPR: unit byte has high nibble set"), r;
  if (data[4] != kMksFormatType)
    return Fail(r, "IPR: format type byte is not 0x20"), r;
  if (data[length - 1] != 0xF7)
    return Fail(r, "IPR: missing F7 terminator"), r;
  if (length % 2 != 0)
    return Fail(r, "IPR: odd (param,value) payload length"), r;
  const std::uint8_t level = data[5];
  const std::uint8_t group = data[6];
  if (group != kMksGroupUpper && group != kMksGroupLower)
    return Fail(r, "IPR: unknown group byte (want 0x01/0x02)"), r;
  for (std::size_t i = 7; i + 1 < length - 1 && r.count < kMaxMksParamChanges; i += 2) {
    if (data[i] >= 0x80 || data[i + 1] >= 0x80)
      return Fail(r, "IPR: data byte >= 0x80"), r;
    if (!MapSysExValue(r, level, group, data[i], data[i + 1], /*extensionAllowed=*/true))
      return Fail(r, "IPR: unknown level byte (want 0x20/0x30/0x40)"), r;
  }
  r.ok = true;
  return r;
}

MksParamChanges ParseAprMessage(const std::uint8_t* data, std::size_t length) {
  MksParamChanges r;
  if (!data || length < 8 || data[0] != 0xF0 || data[1] != 0x41 || data[2] != kMksOpApr)
    return r;
  if (data[3] & 0xF0)
    return Fail(r, "APR: unit byte has high nibble set"), r;
  if (data[4] != kMksFormatType)
    return Fail(r, "APR: format type byte is not 0x20"), r;
  if (data[length - 1] != 0xF7)
    return Fail(r, "APR: missing F7 terminator"), r;
  const std::uint8_t level = data[5];
  const std::uint8_t group = data[6];
  if (group != kMksGroupUpper && group != kMksGroupLower)
    return Fail(r, "APR: unknown group byte (want 0x01/0x02)"), r;
  std::size_t values = 0;
  if (level == kMksLevelTone)
    values = SysExToneMap.size();
  else if (level == kMksLevelPatch)
    values = SysExPatchMap.size();
  else
    return Fail(r, "APR: unknown level byte (want 0x20/0x30)"), r;
  if (length != values + 8)
    return Fail(r, "APR: value count mismatch (want 48 tone / 15 patch)"), r;
  for (std::size_t i = 0; i < values && r.count < kMaxMksParamChanges; ++i) {
    const std::uint8_t byte = data[7 + i];
    if (byte >= 0x80)
      return Fail(r, "APR: data byte >= 0x80"), r;
    if (!MapSysExValue(r, level, group, static_cast<std::uint8_t>(i), byte, /*extensionAllowed=*/false))
      return Fail(r, "APR: unknown level byte (want 0x20/0x30)"), r;
  }
  r.ok = true;
  return r;
}

MksHandshakeFrame ParseHandshakeMessage(const std::uint8_t* data, std::size_t length) {
  MksHandshakeFrame h;
  if (!data || length < kMksShortHandshakeLength || data[0] != 0xF0 || data[1] != 0x41 ||
      data[length - 1] != 0xF7)
    return h;
  const std::uint8_t op = data[2];
  if (op != kMksOpWsf && op != kMksOpRqf && op != kMksOpDat && op != kMksOpAck && op != kMksOpEof &&
      op != kMksOpErr && op != kMksOpRjc)
    return h;
  h.operation = op;
  if (data[3] & 0xF0) {
    h.error = "unit byte has high nibble set";
    return h;
  }
  h.unit = data[3] & 0x0F;
  h.format = data[4];
  if (op == kMksOpDat) {
    if (length != kMksDatLength) {
      h.error = "DAT length != 255";
      return h;
    }
    if (h.format != kMksFormatType && h.format != 0x01) {
      h.error = "DAT format type unsupported (want 0x20)";
      return h;
    }
    const std::span<const std::uint8_t> body(data + 5, kMksDatDataBytes);
    for (const std::uint8_t b : body) {
      if (b >= 0x80) {
        h.error = "DAT data byte >= 0x80";
        h.data.fill(0);
        return h;
      }
    }
    h.checksum = data[5 + kMksDatDataBytes];
    if (h.checksum >= 0x80) {
      h.error = "DAT checksum byte >= 0x80";
      return h;
    }
    if (h.checksum != DatChecksum(body)) {
      h.error = "DAT checksum mismatch";
      return h;
    }
    std::memcpy(h.data.data(), body.data(), kMksDatDataBytes);
    h.ok = true;
    return h;
  }
  if (h.format != kMksFormatType) {
    h.error = "format type byte is not 0x20";
    return h;
  }
  if (op == kMksOpWsf || op == kMksOpRqf) {
    if (length != kMksFileMessageLength) {
      h.error = "WSF/RQF length != 13";
      return h;
    }
    if (std::memcmp(data + 5, "MKS-80", 6) != 0) {
      h.error = "WSF/RQF file name != 'MKS-80'";
      return h;
    }
    if (data[11] != 0x00) {
      h.error = "WSF/RQF checksum byte != 0x00";
      return h;
    }
    h.checksum = 0;
    h.ok = true;
    return h;
  }
  if (length != kMksShortHandshakeLength) {
    h.error = "ACK/EOF/ERR/RJC length != 6";
    return h;
  }
  h.ok = true;
  return h;
}

std::vector<MksFrameSpan> FindDatFrames(std::span<const std::uint8_t> bytes) {
  std::vector<MksFrameSpan> frames;
  std::size_t start = 0;
  bool inFrame = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == 0xF0) {
      start = i;
      inFrame = true;
    } else if (bytes[i] == 0xF7 && inFrame) {
      inFrame = false;
      const std::size_t length = i - start + 1;
      if (length >= 4 && bytes[start + 1] == 0x41 && bytes[start + 2] == kMksOpDat)
        frames.push_back({start, length});
    }
  }
  return frames;
}

} // namespace vlm

// Test helper: byte vectors written as hexadecimal text, and a DAT frame with a chosen body.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "library/Mks80Messages.h"

namespace libtest {

using Bytes = std::vector<std::uint8_t>;

// "F0 41 36" -> {0xF0, 0x41, 0x36}.
inline Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte)
    out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

inline std::string ToHex(const Bytes& bytes) {
  std::string out;
  static const char* digits = "0123456789ABCDEF";
  for (const std::uint8_t b : bytes) {
    if (!out.empty())
      out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// A well-formed DAT: unit, format, data bytes i x seed & 7F, checksum.
inline Bytes Dat(int unit, std::uint8_t format = 0x20, int seed = 3) {
  std::uint8_t data[vlm::kMksDatDataBytes];
  for (std::size_t i = 0; i < vlm::kMksDatDataBytes; ++i)
    data[i] = static_cast<std::uint8_t>((i * static_cast<std::size_t>(seed)) & 0x7F);
  Bytes out(vlm::kMksDatLength);
  out.resize(vlm::BuildDatMessage(unit, format, std::span<const std::uint8_t, vlm::kMksDatDataBytes>(data),
                                  out.data(), out.size()));
  return out;
}

} // namespace libtest

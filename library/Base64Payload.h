// Base64 of the byte payloads that travel between page and processor inside JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

// Standard alphabet, "=" padding to whole groups of four, no line breaks; empty for no bytes.
std::string EncodeBase64(const std::uint8_t* bytes, std::size_t length);

// Skips "=", spaces, carriage returns and line feeds wherever they stand; any other byte outside the
// alphabet gives false (the output then holds what was decoded before it, which callers discard). Bits
// left over after the last whole byte are dropped, so a lone character or a text of only "=" gives no
// bytes.
bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes);

} // namespace vlm

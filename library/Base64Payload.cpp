// Base64 of page payloads over the framework's codec, with the page's lenient text rules on top.
#include "library/Base64Payload.h"

#include <algorithm>
#include <climits>

#include "Keel/Core/Base64.h"

namespace vlm {

namespace {

bool InAlphabet(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

bool Skipped(char c) {
  return c == '=' || c == ' ' || c == '\r' || c == '\n';
}

// The framework's decoder stops at "=" and counts padding from the text's end; fed only alphabet
// characters it decodes exactly floor(6n / 8) bytes.
void DecodeClean(const std::string& clean, std::vector<std::uint8_t>& bytes) {
  const int n = static_cast<int>(clean.size());
  bytes.assign(static_cast<std::size_t>(keel::Base64DecodedSize(clean.data(), n)), 0);
  if (!bytes.empty())
    keel::Base64DecodeToBuffer(clean.data(), n, bytes.data());
}

} // namespace

std::string EncodeBase64(const std::uint8_t* bytes, std::size_t length) {
  std::string text;
  if (!bytes || length == 0)
    return text;
  // The framework's encoder counts in int; whole groups of three keep the pieces joinable.
  constexpr std::size_t kPiece = 3u << 20;
  text.reserve((length + 2) / 3 * 4);
  std::string buffer;
  for (std::size_t at = 0; at < length; at += kPiece) {
    const int count = static_cast<int>(std::min(kPiece, length - at));
    buffer.resize(static_cast<std::size_t>(keel::Base64EncodedBufferSize(count)));
    keel::Base64EncodeToBuffer(bytes + at, buffer.data(), count);
    text.append(buffer.data(), buffer.size() - 1); // without the NUL
  }
  return text;
}

bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  std::string clean;
  clean.reserve(text.size());
  for (const char c : text) {
    if (Skipped(c))
      continue;
    if (!InAlphabet(c)) {
      DecodeClean(clean, bytes);
      return false;
    }
    if (clean.size() == static_cast<std::size_t>(INT_MAX))
      return false; // beyond what the framework's decoder counts
    clean.push_back(c);
  }
  DecodeClean(clean, bytes);
  return true;
}

} // namespace vlm

// Time formatting into a UTF-8 buffer.
#include "Keel/Platform/StrftimeUTF8.h"

#include "Keel/Platform/UTF8Text.h"

#include <cstring>
#include <string>
#include <string_view>

namespace keel {

std::size_t strftimeUTF8(char* out, std::size_t size, const char* format, const std::tm* time) {
  if (!out || size == 0)
    return 0;
  out[0] = '\0';
  if (!format || !time || !*format)
    return 0;
  // strftime reports 0 both for "empty" and "did not fit", so grow until the text plainly fits.
  std::string buffer(size + 1024, '\0');
  std::size_t n = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    n = std::strftime(buffer.data(), buffer.size(), format, time);
    if (n > 0 || buffer.size() > 64 * 1024)
      break;
    buffer.resize(buffer.size() * 4);
  }
  const std::size_t kept = UTF8PrefixLength(std::string_view(buffer.data(), n), size - 1);
  std::memcpy(out, buffer.data(), kept);
  out[kept] = '\0';
  return kept;
}

} // namespace keel

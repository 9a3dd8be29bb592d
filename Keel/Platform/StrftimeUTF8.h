// Time formatting into a UTF-8 buffer.
#pragma once

#include <cstddef>
#include <ctime>

namespace keel {

// Formats time with a strftime format (UTF-8 bytes pass through) and returns the bytes written.
// A result that does not fit is cut without splitting a UTF-8 character; always zero-terminated
// when size > 0. Without out, format or a size, returns 0.
std::size_t strftimeUTF8(char* out, std::size_t size, const char* format, const std::tm* time);

} // namespace keel

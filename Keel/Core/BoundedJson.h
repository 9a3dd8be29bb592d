// JSON parsing for text that comes from outside (files, state chunks, page messages): the nesting
// depth is checked on the raw text before the JSON library touches it, because the library's copy,
// dump and comparison recurse once per level and a deeply nested document would overflow the stack.
#pragma once

#include <istream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace keel {

// Far above what our documents need (a handful of levels), far below what the stack can take.
inline constexpr int kMaxJsonDepth = 64;

inline constexpr const char* kJsonParseFailed = "Failed to parse JSON";
inline constexpr const char* kJsonTooDeep = "JSON nested deeper than 64 levels";

// True when no array or object in the text lies more than maxDepth levels deep. Brackets inside
// strings do not count; the text need not be valid JSON.
bool JsonDepthWithin(std::string_view text, int maxDepth = kMaxJsonDepth) noexcept;

// Parses without exceptions; a discarded value for invalid JSON and for JSON nested deeper than
// kMaxJsonDepth. On failure, reason (when given) is kJsonParseFailed or kJsonTooDeep.
nlohmann::json ParseJsonBounded(std::string_view text, const char** reason = nullptr);
// The whole stream, as above; a read failure counts as a parse failure.
nlohmann::json ParseJsonBounded(std::istream& in, const char** reason = nullptr);

} // namespace keel

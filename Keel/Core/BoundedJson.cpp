// Depth-checked JSON parsing of outside text.
#include "Keel/Core/BoundedJson.h"

#include <iterator>

namespace keel {

static_assert(kMaxJsonDepth == 64, "kJsonTooDeep names the limit");

bool JsonDepthWithin(std::string_view text, int maxDepth) noexcept {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth)
        return false;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

nlohmann::json ParseJsonBounded(std::string_view text, const char** reason) {
  if (!JsonDepthWithin(text)) {
    if (reason)
      *reason = kJsonTooDeep;
    return nlohmann::json(nlohmann::json::value_t::discarded);
  }
  nlohmann::json value = nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false,
                                               /*ignore_comments=*/false);
  if (value.is_discarded() && reason)
    *reason = kJsonParseFailed;
  return value;
}

nlohmann::json ParseJsonBounded(std::istream& in, const char** reason) {
  std::string text;
  try {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    if (reason)
      *reason = kJsonParseFailed;
    return nlohmann::json(nlohmann::json::value_t::discarded);
  }
  return ParseJsonBounded(text, reason);
}

} // namespace keel

// Lenient readers of JSON members.
#include "library/JsonMembers.h"

namespace vlm {

std::string GetStringMember(const nlohmann::json& value, const char* key, const std::string& fallback) {
  if (!value.is_object() || !key)
    return fallback;
  const auto it = value.find(key);
  return it != value.end() && it->is_string() ? it->get<std::string>() : fallback;
}

nlohmann::json GetObjectMember(const nlohmann::json& value, const char* key) {
  if (value.is_object() && key) {
    const auto it = value.find(key);
    if (it != value.end() && it->is_object())
      return *it;
  }
  return nlohmann::json::object();
}

} // namespace vlm

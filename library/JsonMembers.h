// Lenient readers of JSON members: outside input never fails on a missing or mistyped member.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace vlm {

// The member's text when value is an object holding key as a string; otherwise fallback.
std::string GetStringMember(const nlohmann::json& value, const char* key, const std::string& fallback);
// A copy of the member when value is an object holding key as an object; otherwise an empty object.
nlohmann::json GetObjectMember(const nlohmann::json& value, const char* key);

} // namespace vlm

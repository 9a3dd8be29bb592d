// The DOM code table and the rules that turn a forwarded page key into the key the host window sees.
#include "processor/editor/KeyForwarding.h"
#include "Keel/Core/BoundedJson.h"

#include <charconv>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "library/JsonMembers.h"

namespace vlm {
namespace {

using nlohmann::json;

// DOM codes whose virtual key is not computed from the name.
constexpr DomCodeKey kDomCodeKeys[] = {
    {"Space", 32},
    {"Enter", 13},
    {"NumpadEnter", 13},
    {"Tab", 9},
    {"Backspace", 8},
    {"Delete", 46},
    {"Escape", 27},
    {"ArrowUp", 38},
    {"ArrowDown", 40},
    {"ArrowLeft", 37},
    {"ArrowRight", 39},
    {"Home", 36},
    {"End", 35},
    {"PageUp", 33},
    {"PageDown", 34},
    {"Insert", 45},
    {"CapsLock", 20},
    {"ShiftLeft", 160},
    {"ShiftRight", 161},
    {"ControlLeft", 162},
    {"ControlRight", 163},
    {"AltLeft", 164},
    {"AltRight", 165},
    {"MetaLeft", 91},
    {"MetaRight", 92},
    {"ContextMenu", 93},
    {"NumLock", 144},
    {"ScrollLock", 145},
    {"Pause", 19},
    {"PrintScreen", 44},
    {"Minus", 189},
    {"Equal", 187},
    {"BracketLeft", 219},
    {"BracketRight", 221},
    {"Backslash", 220},
    {"IntlBackslash", 226},
    {"Semicolon", 186},
    {"Quote", 222},
    {"Comma", 188},
    {"Period", 190},
    {"Slash", 191},
    {"Backquote", 192},
    {"NumpadDecimal", 110},
    {"NumpadDivide", 111},
    {"NumpadMultiply", 106},
    {"NumpadSubtract", 109},
    {"NumpadAdd", 107},
    // The keypad's equals key acts as the main one; its own code has no accelerator meaning.
    {"NumpadEqual", 187},
    {"NumpadComma", 110},
    {"NumpadClear", 12},
};

const std::unordered_map<std::string_view, int>& CodeTable() {
  // Built once, on first use; static initialisation is thread-safe.
  static const std::unordered_map<std::string_view, int> table = [] {
    std::unordered_map<std::string_view, int> byCode;
    for (const DomCodeKey& entry : kDomCodeKeys)
      byCode.emplace(entry.code, entry.virtualKey);
    return byCode;
  }();
  return table;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool BoolMember(const json& j, const char* key) {
  const auto it = j.find(key);
  return it != j.end() && it->is_boolean() && it->get<bool>();
}

// Integers as they are; a whole float is taken as its integer; anything else is missing (0).
int IntMember(const json& j, const char* key) {
  const auto it = j.find(key);
  if (it == j.end())
    return 0;
  if (it->is_number_unsigned())
    return static_cast<int>(
        std::min<json::number_unsigned_t>(it->get<json::number_unsigned_t>(), 0x7fffffff));
  if (it->is_number_integer()) {
    const auto v = it->get<json::number_integer_t>();
    return v < -0x7fffffff ? -0x7fffffff : v > 0x7fffffff ? 0x7fffffff : static_cast<int>(v);
  }
  if (it->is_number_float()) {
    const double v = it->get<double>();
    return v > -2147483647.0 && v < 2147483647.0 ? static_cast<int>(v) : 0;
  }
  return 0;
}

} // namespace

std::span<const DomCodeKey> DomCodeKeys() {
  return kDomCodeKeys;
}

std::optional<PageKeyEvent> ParsePageKeyEvent(std::string_view text) {
  const json j = keel::ParseJsonBounded(text);
  if (j.is_discarded() || !j.is_object())
    return std::nullopt;
  PageKeyEvent event;
  event.type = GetStringMember(j, "type", {});
  event.key = GetStringMember(j, "key", {});
  event.code = GetStringMember(j, "code", {});
  event.keyCode = IntMember(j, "keyCode");
  event.repeat = BoolMember(j, "repeat");
  event.shiftKey = BoolMember(j, "shiftKey");
  event.ctrlKey = BoolMember(j, "ctrlKey");
  event.altKey = BoolMember(j, "altKey");
  event.metaKey = BoolMember(j, "metaKey");
  return event;
}

int DomCodeToVirtualKey(std::string_view code) {
  const auto& table = CodeTable();
  if (const auto it = table.find(code); it != table.end())
    return it->second;
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z')
    return code[3];
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'a' && code[3] <= 'z')
    return code[3] - 'a' + 'A';
  if (code.size() == 6 && code.substr(0, 5) == "Digit" && IsDigit(code[5]))
    return code[5];
  if (code.size() == 7 && code.substr(0, 6) == "Numpad" && IsDigit(code[6]))
    return 96 + (code[6] - '0');
  if (code.size() >= 2 && code.size() <= 3 && code[0] == 'F') {
    int n = 0;
    const auto r = std::from_chars(code.data() + 1, code.data() + code.size(), n);
    if (r.ec == std::errc() && r.ptr == code.data() + code.size() && IsDigit(code[1]) && n >= 1 && n <= 24)
      return 111 + n;
  }
  return 0;
}

std::optional<ForwardedKey> MakeForwardedKey(const PageKeyEvent& event) {
  if (event.type != "keydown" && event.type != "keyup")
    return std::nullopt;
  int vk = 0;
  if (event.keyCode > 0)
    vk = event.keyCode & 0xffff;
  else if (!event.code.empty())
    vk = DomCodeToVirtualKey(event.code);
  // Modifier keys carry their side in the code.
  const std::string& code = event.code;
  if (vk == 16 && code == "ShiftLeft")
    vk = 160;
  else if (vk == 16 && code == "ShiftRight")
    vk = 161;
  else if (vk == 17 && code == "ControlLeft")
    vk = 162;
  else if (vk == 17 && code == "ControlRight")
    vk = 163;
  else if (vk == 18 && code == "AltLeft")
    vk = 164;
  else if (vk == 18 && code == "AltRight")
    vk = 165;
  else if (vk != 16 && vk != 17 && vk != 18 && code == "MetaLeft")
    vk = 91;
  else if (vk != 16 && vk != 17 && vk != 18 && code == "MetaRight")
    vk = 92;
  if (vk == 0)
    return std::nullopt;
  ForwardedKey key;
  key.virtualKey = vk;
  key.keyDown = event.type == "keydown";
  key.repeat = event.repeat && key.keyDown;
  key.shift = event.shiftKey;
  key.control = event.ctrlKey;
  key.alt = event.altKey;
  key.meta = event.metaKey;
  return key;
}

} // namespace vlm

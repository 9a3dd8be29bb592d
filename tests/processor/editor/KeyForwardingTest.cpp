// Keys the page forwards: the DOM code table, the computed names, the choice between keyCode and code, and
// the sides of modifier keys.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "processor/editor/KeyForwarding.h"

namespace {

TEST(KeyForwarding, EveryListedCodeLooksUpItsOwnKey) {
  std::set<std::string_view> seen;
  for (const vlm::DomCodeKey& entry : vlm::DomCodeKeys()) {
    EXPECT_TRUE(seen.insert(entry.code).second) << "listed twice: " << entry.code;
    EXPECT_GT(entry.virtualKey, 0) << entry.code;
    EXPECT_LT(entry.virtualKey, 255) << entry.code;
    EXPECT_EQ(entry.virtualKey, vlm::DomCodeToVirtualKey(entry.code)) << entry.code;
  }
}

TEST(KeyForwarding, DomCodesMapToVirtualKeys) {
  const std::pair<const char*, int> cases[] = {
      // Listed codes the accelerators and the modifier sides rely on.
      {"Enter", 13},
      {"NumpadEnter", 13},
      {"Delete", 46},
      {"ShiftLeft", 160},
      {"ControlRight", 163},
      {"MetaRight", 92},
      {"Comma", 188},
      {"NumpadEqual", 187},
      // Computed names.
      {"KeyA", 65},
      {"KeyZ", 90},
      {"Digit0", 48},
      {"Digit9", 57},
      {"Numpad0", 96},
      {"Numpad7", 103},
      {"F1", 112},
      {"F12", 123},
      {"F24", 135},
      // Unknown or malformed names.
      {"F25", 0},
      {"F0", 0},
      {"F", 0},
      {"F1x", 0},
      {"Key", 0},
      {"KeyAB", 0},
      {"Key1", 0},
      {"Digit", 0},
      {"DigitA", 0},
      {"Numpad", 0},
      {"NumpadX", 0},
      {"", 0},
      {"Lang1", 0},
      {"space", 0},
  };
  for (const auto& [code, vk] : cases)
    EXPECT_EQ(vk, vlm::DomCodeToVirtualKey(code)) << code;
}

struct KeyCase {
  const char* json;
  int virtualKey; // 0: nothing is forwarded
  bool keyDown;
  bool repeat;
};

TEST(KeyForwarding, ForwardedKeysFollowKeyCodeThenCode) {
  const KeyCase cases[] = {
      {R"({"type":"keydown","code":"KeyA","keyCode":0})", 65, true, false},
      {R"({"type":"keydown","code":"Numpad7"})", 103, true, false},
      {R"({"type":"keydown","code":"F12","keyCode":0})", 123, true, false},
      {R"({"type":"keydown","code":"F25","keyCode":0})", 0, true, false},
      {R"({"type":"keydown","code":"Comma","keyCode":188,"ctrlKey":true})", 188, true, false},
      // A positive keyCode wins over the code, taken as 16 bits.
      {R"({"type":"keydown","code":"KeyA","keyCode":66})", 66, true, false},
      {R"({"type":"keydown","code":"","keyCode":65601})", 65, true, false},
      {R"({"type":"keydown","code":"KeyQ","keyCode":-5})", 81, true, false},
      // Modifier sides.
      {R"({"type":"keydown","code":"ShiftRight","keyCode":16})", 161, true, false},
      {R"({"type":"keydown","code":"ShiftLeft","keyCode":16})", 160, true, false},
      {R"({"type":"keydown","code":"ControlRight","keyCode":17})", 163, true, false},
      {R"({"type":"keydown","code":"AltLeft","keyCode":18})", 164, true, false},
      {R"({"type":"keydown","code":"AltRight","keyCode":18})", 165, true, false},
      {R"({"type":"keydown","code":"MetaLeft","keyCode":224})", 91, true, false},
      {R"({"type":"keydown","code":"MetaRight","keyCode":93})", 92, true, false},
      {R"({"type":"keydown","code":"","keyCode":16})", 16, true, false},
      // Type and repeat.
      {R"({"type":"keyup","code":"KeyA","keyCode":65,"repeat":true})", 65, false, false},
      {R"({"type":"keydown","code":"KeyA","keyCode":65,"repeat":true})", 65, true, true},
      {R"({"type":"keypress","code":"KeyA","keyCode":65})", 0, true, false},
      {R"({"code":"KeyA","keyCode":65})", 0, true, false},
      {R"({"type":"keydown","code":"Lang1","keyCode":0})", 0, true, false},
      // Mistyped members count as missing.
      {R"({"type":"keydown","code":5,"keyCode":"65"})", 0, true, false},
      {R"({"type":"keydown","code":"KeyB","keyCode":true})", 66, true, false},
      {R"({"type":"keydown","code":"KeyB","keyCode":67.0})", 67, true, false},
  };
  for (const KeyCase& c : cases) {
    const auto event = vlm::ParsePageKeyEvent(c.json);
    ASSERT_TRUE(event) << c.json;
    const auto key = vlm::MakeForwardedKey(*event);
    if (c.virtualKey == 0) {
      EXPECT_FALSE(key) << c.json;
      continue;
    }
    ASSERT_TRUE(key) << c.json;
    EXPECT_EQ(c.virtualKey, key->virtualKey) << c.json;
    EXPECT_EQ(c.keyDown, key->keyDown) << c.json;
    EXPECT_EQ(c.repeat, key->repeat) << c.json;
  }
}

TEST(KeyForwarding, ModifiersTravelWithTheKeyAndBadJsonIsRefused) {
  const auto event = vlm::ParsePageKeyEvent(
      R"({"type":"keydown","key":",","code":"Comma","keyCode":188,"ctrlKey":true,"shiftKey":false,"altKey":true,"metaKey":true})");
  ASSERT_TRUE(event);
  const auto key = vlm::MakeForwardedKey(*event);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->control);
  EXPECT_FALSE(key->shift);
  EXPECT_TRUE(key->alt);
  EXPECT_TRUE(key->meta);
  for (const char* bad : {"", "{", "[1]", "\"keydown\"", "null", "\xff"})
    EXPECT_FALSE(vlm::ParsePageKeyEvent(bad)) << bad;
}

} // namespace

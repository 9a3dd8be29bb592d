// Keys the page forwards (message 212): the page's key-event record, the DOM code to virtual-key table, and
// the key that goes on to the main window's accelerators.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vlm {

// What the page sends for one key-down or key-up; missing members keep these defaults.
struct PageKeyEvent {
  std::string type;
  std::string key;
  std::string code;
  int keyCode = 0;
  bool repeat = false;
  bool shiftKey = false;
  bool ctrlKey = false;
  bool altKey = false;
  bool metaKey = false;
};

// The key as the host's window sees it: a Windows virtual-key code (the code the whole editor protocol
// speaks) with its modifiers.
struct ForwardedKey {
  int virtualKey = 0;
  bool keyDown = true;
  bool repeat = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool meta = false;
};

// Parses the page's JSON without exceptions; nothing for invalid JSON or a value that is not an object.
// Members of the wrong type count as missing.
std::optional<PageKeyEvent> ParsePageKeyEvent(std::string_view json);

// A DOM "code" name with its own virtual-key code.
struct DomCodeKey {
  std::string_view code;
  int virtualKey = 0;
};

// The codes whose virtual key is listed rather than computed from the name (letters, digits, keypad digits,
// F1 to F24 are computed).
std::span<const DomCodeKey> DomCodeKeys();

// DOM "code" name to virtual-key code; 0 for names it does not know.
int DomCodeToVirtualKey(std::string_view code);

// The key to forward, or nothing: the type must be "keydown" or "keyup" and a key must be known. A positive
// keyCode wins (as 16 bits), else the code's table entry; modifier keys take their side from the code.
std::optional<ForwardedKey> MakeForwardedKey(const PageKeyEvent& event);

} // namespace vlm

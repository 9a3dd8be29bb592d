// Modal message box with UTF-8 texts (a GTK message dialog).
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace keel {

// Button sets and icons, combined with '|'; the numbers match the classic message-box flags so that
// stored or ported flag values keep their meaning.
enum : unsigned {
  kMessageBoxOk = 0x0,
  kMessageBoxOkCancel = 0x1,
  kMessageBoxYesNoCancel = 0x3,
  kMessageBoxYesNo = 0x4,
  kMessageBoxIconError = 0x10,
  kMessageBoxIconQuestion = 0x20,
  kMessageBoxIconWarning = 0x30,
  kMessageBoxIconInformation = 0x40,
};

// Which button closed the box; 0 when no box could be shown (no display).
enum : int {
  kMessageBoxResultNone = 0,
  kMessageBoxResultOk = 1,
  kMessageBoxResultCancel = 2,
  kMessageBoxResultYes = 6,
  kMessageBoxResultNo = 7,
};

// The texts as the box shows them. Both are read as UTF-8 when either has a byte of 0x80 or above and
// both pass the looks-like-UTF-8 rule; otherwise both are read in the legacy 8-bit code page, so every
// byte still shows. A missing caption stays empty.
std::pair<std::string, std::string> MessageBoxDisplayTexts(const char* text, const char* caption);

// Shows a modal box on the UI thread; owner is a GtkWindow* or null. Closing the box by its window
// frame answers Cancel (or No for a Yes/No box, OK for a single OK button).
int MessageBoxUTF8(void* owner, const char* text, const char* caption, unsigned type);

} // namespace keel

// The system clipboard's text for the editor page, which the browser sandbox cannot reach itself.
#pragma once

#include <functional>
#include <string>

namespace keel {

// Threads: UI thread only.
// Asks for the clipboard's text; done runs exactly once, later on the UI thread (or at once when there is
// no display), with the UTF-8 text or an empty text when the clipboard holds none.
void RequestClipboardText(std::function<void(const std::string& text)> done);

// Puts UTF-8 text on the clipboard; false when there is no display to own it.
bool WriteClipboardText(const std::string& text);

} // namespace keel

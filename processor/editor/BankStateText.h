// Reading the page's bank-state text, which the processor otherwise keeps as it came.
#pragma once

#include <string_view>

namespace vlm {

// True only when the text is a JSON object whose "expandedTones" is true; anything else (invalid JSON,
// another type) reads as false.
bool ReadExpandedTonesFlag(std::string_view bankStateJson);

} // namespace vlm

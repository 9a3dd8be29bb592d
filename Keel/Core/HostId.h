// Recognises the host program from its name, for host-specific workarounds.
#pragma once

#include <string_view>

namespace keel {

// Host id of the first known host whose key is a substring of the lower-cased name; 0 when none is.
int LookUpHostId(std::string_view hostName);

} // namespace keel

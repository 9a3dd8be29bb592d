// The program's icon: PNG images of 16, 24, 32, 48, 64, 128 and 256 pixels, carried inside the binary.
#pragma once

#include <string_view>
#include <vector>

namespace vlm {

std::vector<std::string_view> GetAppIconPngs();

} // namespace vlm

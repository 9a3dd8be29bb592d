// The program's icon images, from the symbols that AppIcon.S places around each file.
#include "resources/AppIcon.h"

extern "C" {
extern const char vlm_app_icon_16_begin[], vlm_app_icon_16_end[];
extern const char vlm_app_icon_24_begin[], vlm_app_icon_24_end[];
extern const char vlm_app_icon_32_begin[], vlm_app_icon_32_end[];
extern const char vlm_app_icon_48_begin[], vlm_app_icon_48_end[];
extern const char vlm_app_icon_64_begin[], vlm_app_icon_64_end[];
extern const char vlm_app_icon_128_begin[], vlm_app_icon_128_end[];
extern const char vlm_app_icon_256_begin[], vlm_app_icon_256_end[];
}

namespace vlm {

std::vector<std::string_view> GetAppIconPngs() {
  return {
      {vlm_app_icon_16_begin, size_t(vlm_app_icon_16_end - vlm_app_icon_16_begin)},
      {vlm_app_icon_24_begin, size_t(vlm_app_icon_24_end - vlm_app_icon_24_begin)},
      {vlm_app_icon_32_begin, size_t(vlm_app_icon_32_end - vlm_app_icon_32_begin)},
      {vlm_app_icon_48_begin, size_t(vlm_app_icon_48_end - vlm_app_icon_48_begin)},
      {vlm_app_icon_64_begin, size_t(vlm_app_icon_64_end - vlm_app_icon_64_begin)},
      {vlm_app_icon_128_begin, size_t(vlm_app_icon_128_end - vlm_app_icon_128_begin)},
      {vlm_app_icon_256_begin, size_t(vlm_app_icon_256_end - vlm_app_icon_256_begin)},
  };
}

} // namespace vlm

// Pure arithmetic of the editor's size under a display scale.
#include "processor/window/EditorSizing.h"

#include <algorithm>
#include <cstring>

#include "processor/editor/EditorTags.h"

namespace vlm {

int EditorMinHeight(bool expandedTones) {
  return expandedTones ? kEditorMinHeightExpanded : kEditorMinHeight;
}

bool ConstrainToEditorLimits(int& width, int& height, bool expandedTones) {
  const int w = std::clamp(width, kEditorMinWidth, kEditorMaxWidth);
  const int h = std::clamp(height, EditorMinHeight(expandedTones), kEditorMaxHeight);
  const bool unchanged = w == width && h == height;
  width = w;
  height = h;
  return unchanged;
}

EditorSize ClampResizeRequest(int width, int height, bool expandedTones) {
  ConstrainToEditorLimits(width, height, expandedTones);
  return {width, height};
}

EditorSize PhysicalToLogical(int width, int height, double scale) {
  if (width <= 0 || height <= 0 || !(scale > 0.0))
    return {};
  const EditorSize logical{static_cast<int>(width / scale), static_cast<int>(height / scale)};
  if (logical.width <= 0 || logical.height <= 0)
    return {};
  return logical;
}

EditorSize LogicalToPhysicalRounded(EditorSize logical, double scale) {
  return {static_cast<int>(logical.width * scale + 0.5), static_cast<int>(logical.height * scale + 0.5)};
}

DpiCorrectionStep NextDpiCorrection(bool pending, double scale, EditorSize resizeArg, EditorSize editorSize) {
  DpiCorrectionStep step;
  if (!pending || scale == 1.0)
    return step;
  step.target = {static_cast<int>(editorSize.width * scale), static_cast<int>(editorSize.height * scale)};
  step.action = resizeArg == step.target ? DpiCorrection::kComplete : DpiCorrection::kResize;
  return step;
}

std::optional<std::string> BrowserArgumentsWithUnitScale(const char* current) {
  static constexpr const char* kArgument = "--force-device-scale-factor=1";
  if (!current)
    return std::string(kArgument);
  if (std::strstr(current, "--force-device-scale-factor"))
    return std::nullopt;
  return std::string(current) + " " + kArgument;
}

ViewBounds PluginWebViewBounds(EditorSize physical, double scale) {
  if (!(scale > 0.0))
    scale = 1.0;
  return {static_cast<float>(physical.width / scale), static_cast<float>(physical.height / scale)};
}

} // namespace vlm

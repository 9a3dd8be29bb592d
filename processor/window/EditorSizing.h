// Pure arithmetic of the editor's size: limits, requests from the page, physical and logical pixels under a
// display scale, the one-step DPI correction of the program's window, and the plug-in's browser scaling rule.
// Nothing here touches a window, so every rule can be tested with any scale.
#pragma once

#include <optional>
#include <string>

namespace vlm {

struct EditorSize {
  int width = 0;
  int height = 0;
  bool operator==(const EditorSize&) const = default;
};

// The editor's minimum height: taller while both tone panels are expanded.
int EditorMinHeight(bool expandedTones);

// Clamps into width 910..100000 and height (650 or 1000)..100000; true when nothing had to change.
bool ConstrainToEditorLimits(int& width, int& height, bool expandedTones);

// The page's resize request clamped into the limits.
EditorSize ClampResizeRequest(int width, int height, bool expandedTones);

// Physical pixels to logical ones: each side divided by the scale and truncated. A side that is not
// positive, or a result that is not, gives {0, 0} (an empty window is no size).
EditorSize PhysicalToLogical(int width, int height, double scale);

// Logical pixels to physical ones for a resize of the window: rounded to the nearest pixel.
EditorSize LogicalToPhysicalRounded(EditorSize logical, double scale);

// What the program's first window resizes do on a scaled display: the window must reach the editor's size
// scaled up once; the window manager may refuse, so one attempt is all it gets.
enum class DpiCorrection {
  kNone,     // nothing pending, or no scaling: handle the resize as usual
  kResize,   // resize the window to target (plus its frame) and stop; correction is then over
  kComplete, // the window already has the target size; correction is over, handle the resize as usual
};
struct DpiCorrectionStep {
  DpiCorrection action = DpiCorrection::kNone;
  EditorSize target; // the editor size scaled, truncated
};
DpiCorrectionStep NextDpiCorrection(bool pending, double scale, EditorSize resizeArg, EditorSize editorSize);

// The plug-in makes its browser render at device scale factor 1: the value for the browser-arguments
// variable given its current value (null when unset), or nothing when the current value already says so.
std::optional<std::string> BrowserArgumentsWithUnitScale(const char* current);

// The plug-in's web-view bounds for a size in the host window's physical pixels: divided by the scale.
struct ViewBounds {
  float width = 0.0f;
  float height = 0.0f;
};
ViewBounds PluginWebViewBounds(EditorSize physical, double scale);

} // namespace vlm

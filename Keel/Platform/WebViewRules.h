// Pure rules of the editor's browser control: bounds arithmetic, page paths, the editor scheme's folder
// confinement and the addresses that may leave for the user's browser.
#pragma once

#include <string>

namespace keel {

// The editor page is served under this secure scheme and host, and nothing else is shown in the view.
inline constexpr const char* kEditorScheme = "keel";
inline constexpr const char* kEditorHost = "editor.keel.invalid";

// Edges in device pixels; right and bottom are exclusive.
struct WebViewRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const WebViewRect&) const = default;
};

// Device rectangle for logical bounds at a DPI scale. Each edge is rounded up and, when scaled, the far
// edges get one pixel more, so that rounding never leaves a gap along the window's right or bottom
// border; unscaled bounds are exact, so the page's viewport is the area it is given.
WebViewRect ComputeWebViewRect(double x, double y, double width, double height, float scale);

// The folder of a page path: up to (not including) its last '/' or '\'; empty when there is no
// separator or the only one is the first character.
std::string FolderOfPagePath(const std::string& path);
// The text after the last '/' or '\' (the whole path when there is none).
std::string FileNameOfPagePath(const std::string& path);

// Maps the path of an editor-scheme request onto a file inside folder. Empty when refused: an empty
// mapping, a path that does not decode, or one that holds "..", a backslash, a NUL or reaches outside
// the folder through a link.
std::string ResolveMappedPath(const std::string& folder, const std::string& requestPath);

// True for addresses of the editor's own page: the editor scheme and host, no port.
bool IsEditorPageAddress(const char* uri);

// True for the addresses a new-window request may open in the user's browser: http:// and https://.
bool IsExternalWebAddress(const char* uri);

} // namespace keel

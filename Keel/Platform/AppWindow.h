// The program's main window: a File menu (Preferences on Ctrl+comma, Quit) above the editor area.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace keel {

struct AppWindowCallbacks {
  std::function<void(void* editorParent)> openEditor; // the editor area is a GTK container
  std::function<void()> closeEditor;
  std::function<void(int width, int height)> editorAreaResized;
  std::function<void()> preferences;
  std::function<void()> destroyed; // after closeEditor; the window is gone
};

// What the editor area shows until the editor draws over it: a colour and a centred word, so the window
// never stands blank while the editor starts.
struct EditorSplash {
  std::string text;
  unsigned rgb = 0x000000;
  int fontPx = 28;
  int letterSpacingPx = 0;
};

struct EditorSizeLimits {
  int minWidth = 0, minHeight = 0, maxWidth = 100000, maxHeight = 100000;
  bool operator==(const EditorSizeLimits&) const = default;
};

struct WindowSize {
  int width = 0, height = 0;
  bool operator==(const WindowSize&) const = default;
};

// The window size that holds an editor area of width x height logical pixels on a display of the given
// scale: the area scales (truncated), while the frame around it (menu bar, borders) is already in the
// window's own units and is added as it is, never scaled a second time.
constexpr WindowSize WindowSizeForEditorArea(int width, int height, double scale, WindowSize frame) {
  return {static_cast<int>(width * scale) + frame.width, static_cast<int>(height * scale) + frame.height};
}

// The smallest window that still shows the editor's minimum area: the minimum scaled and rounded, plus the
// frame.
constexpr WindowSize MinimumWindowSize(int minWidth, int minHeight, double scale, WindowSize frame) {
  return {static_cast<int>(minWidth * scale + 0.5) + frame.width,
          static_cast<int>(minHeight * scale + 0.5) + frame.height};
}

// Threads: UI thread only.
class AppWindow {
public:
  explicit AppWindow(AppWindowCallbacks callbacks);
  ~AppWindow();
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;

  // Builds the window for an editor of the given size, opens the editor in it, centres and shows it.
  bool Create(const char* title, int editorWidth, int editorHeight, const EditorSizeLimits& limits,
              const EditorSplash& splash = {});
  // Destroys the window (closing the editor first); safe to call twice.
  void Destroy();
  bool Exists() const { return mWindow != nullptr; }
  // Sizes the window so that the editor area is width x height.
  void ResizeToEditor(int width, int height);
  // New limits for the editor area; the window's own limits add the menu bar. The size is left alone.
  void SetEditorLimits(const EditorSizeLimits& limits);
  void Present();
  // The editor area's current pixels as a PNG file; false when nothing could be captured or written.
  bool CaptureEditorToPng(const std::string& path);
  void* NativeWindow() const { return mWindow; }
  // The window's icon (and the default for the program's other windows), from PNG images of several sizes;
  // images that cannot be decoded are left out.
  void SetIconPngs(const std::vector<std::string_view>& pngs);
  // Activates the accelerator of a key as if it were pressed in the window; true when one ran.
  bool ActivateAccelerator(unsigned keyval, unsigned modifiers);

private:
  struct Impl;
  Impl* mImpl;
  void* mWindow = nullptr;
  AppWindowCallbacks mCallbacks;
};

// The editor's side of the window it was opened in (the editor area that openEditor received). Each works
// with any GTK container; the limits reach only an AppWindow's area.
// The area's current size; false (and 0 x 0) while it has none (not realised yet, or not a widget).
bool GetEditorAreaSize(void* editorArea, int& width, int& height);
// Resizes the area's window so that the area becomes width x height; the window keeps its place.
void ResizeEditorArea(void* editorArea, int width, int height);
// The editor's current size limits for the window that holds the area.
void SetEditorAreaLimits(void* editorArea, const EditorSizeLimits& limits);

// Runs fn from the main loop after delayMs.
void RunAfter(unsigned delayMs, std::function<void()> fn);
// SIGTERM and SIGINT run onSignal from the main loop (so that they quit like the menu does).
void QuitOnTerminationSignals(std::function<void()> onSignal);
// Starts GTK for the program (numbers keep the C locale); false without a display.
bool InitGtk(int* argc, char*** argv);
void RunMainLoop();
void QuitMainLoop();

} // namespace keel

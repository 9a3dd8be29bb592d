// The program's main window: a File menu (Preferences on Ctrl+comma, Quit) above the editor area.
#pragma once

#include <functional>
#include <string>

namespace keel {

struct AppWindowCallbacks {
  std::function<void(void* editorParent)> openEditor; // the editor area is a GTK container
  std::function<void()> closeEditor;
  std::function<void(int width, int height)> editorAreaResized;
  std::function<void()> preferences;
  std::function<void()> destroyed; // after closeEditor; the window is gone
};

struct EditorSizeLimits {
  int minWidth = 0, minHeight = 0, maxWidth = 100000, maxHeight = 100000;
};

// Threads: UI thread only.
class AppWindow {
public:
  explicit AppWindow(AppWindowCallbacks callbacks);
  ~AppWindow();
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;

  // Builds the window for an editor of the given size, opens the editor in it, centres and shows it.
  bool Create(const char* title, int editorWidth, int editorHeight, const EditorSizeLimits& limits);
  // Destroys the window (closing the editor first); safe to call twice.
  void Destroy();
  bool Exists() const { return mWindow != nullptr; }
  // Sizes the window so that the editor area is width x height.
  void ResizeToEditor(int width, int height);
  void Present();
  // The editor area's current pixels as a PNG file; false when nothing could be captured or written.
  bool CaptureEditorToPng(const std::string& path);
  void* NativeWindow() const { return mWindow; }
  // Activates the accelerator of a key as if it were pressed in the window; true when one ran.
  bool ActivateAccelerator(unsigned keyval, unsigned modifiers);

private:
  struct Impl;
  Impl* mImpl;
  void* mWindow = nullptr;
  AppWindowCallbacks mCallbacks;
};

// Runs fn from the main loop after delayMs.
void RunAfter(unsigned delayMs, std::function<void()> fn);
// SIGTERM and SIGINT run onSignal from the main loop (so that they quit like the menu does).
void QuitOnTerminationSignals(std::function<void()> onSignal);
// Starts GTK for the program (numbers keep the C locale); false without a display.
bool InitGtk(int* argc, char*** argv);
void RunMainLoop();
void QuitMainLoop();

} // namespace keel

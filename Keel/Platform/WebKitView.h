// WebKitGTK browser control that shows the editor page inside a GTK container and carries its messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Keel/Platform/WebViewRules.h"

namespace keel {

// What the browser control reports to its owner. Called on the UI thread only, never after the
// control is closed or destroyed.
class WebKitViewHost {
public:
  virtual void OnWebViewReady() = 0;
  virtual void OnWebContentLoaded() = 0;
  virtual void OnMessageFromWebView(const char* json) = 0;
  virtual bool CanNavigateToUrl(const char* url) = 0;
  virtual bool CanDownloadMimeType(const char* mimeType) = 0;
  virtual std::string GetLocalDownloadPath(const char* fileName) = 0;
  virtual void OnDownloadCompleted(const char* path) = 0;
  virtual void OnDownloadFailed(const char* path) = 0;
  virtual void OnDownloadProgress(int64_t bytesReceived, int64_t totalBytes) = 0;

protected:
  ~WebKitViewHost() = default;
};

// Threads: every member runs on the UI (GTK main) thread.
// Creation is asynchronous like the control it stands for: Open schedules it on the main loop and the
// host hears OnWebViewReady when the view exists. Close, destruction, or the parent's destruction
// cancel a pending creation and every pending script result.
class WebKitView {
public:
  // The page is served from the mapped folder under this secure scheme and host.
  static constexpr const char* kScheme = kEditorScheme;
  static constexpr const char* kHostName = kEditorHost;

  WebKitView(WebKitViewHost& host, bool devToolsAndContextMenus);
  ~WebKitView();
  WebKitView(const WebKitView&) = delete;
  WebKitView& operator=(const WebKitView&) = delete;

  // parent is a GtkContainer; the view is placed in a clipping area that fills it.
  void Open(void* parent);
  void Close();
  bool IsOpen() const;
  bool IsOpening() const;

  // done (optional) receives the result as JSON text ("null" for undefined or a script error); it is
  // never called once the view is closed, nor when there is no view.
  void EvaluateJavaScript(const char* script, std::function<void(const char* json)> done);
  void LoadFile(const char* path);
  void LoadHTML(const char* html);
  // Kept while closed and applied when the view is created.
  void SetBounds(const WebViewRect& rect, double zoom);
  WebViewRect GetBounds() const;
  const std::string& GetMappedFolder() const;

  // Hands a key-down of a Windows virtual-key code to the parent's top-level window (its accelerators
  // and handlers), never back to the page. Returns false when there is no parent or no such key.
  bool PostKeyDownToParent(int virtualKey);

  // Logical pixels on this platform: always 1.
  static float GetWindowDpiScale(void* window);
  // The roaming application-data folder followed by "/Keel/WebViewCache".
  static std::string GetWebViewCacheFolder();
  static std::string GetDesktopFolder();
  // Starts a page process ahead of the first view, so that the browser's start overlaps the program's own
  // start-up work; the next view created takes that process over. Call once GTK is initialised.
  static void PrewarmWebProcess();
  // Ends a process started ahead that no view took over (a stop during start-up).
  static void DropPrewarmedWebProcess();
  // True when GTK could open a display (GUI tests skip otherwise).
  static bool CanOpenDisplay();

  // The native view (a WebKitWebView*), for tests; null while closed.
  void* NativeView() const;

private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

} // namespace keel

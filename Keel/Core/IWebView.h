// The editor's browser control: opens in a parent window, loads the page, evaluates scripts and forwards page
// events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Keel/Core/HeapString.h"

namespace keel {

class WebKitView;

// Threads: UI thread only. Every hook runs on the UI thread from the control's events; none runs after
// CloseWebView or destruction, and none while the control is still being created except OnWebViewReady,
// which ends the creation.
class IWebView {
public:
  // opaque is kept for the editor delegate's signature and not read (the view's background stays
  // transparent so the page decides it); enableDevTools switches on developer tools and the default
  // context menu; customUrlScheme is not used by this control.
  explicit IWebView(bool opaque = true, bool enableDevTools = false, const char* customUrlScheme = "");
  virtual ~IWebView();
  IWebView(const IWebView&) = delete;
  IWebView& operator=(const IWebView&) = delete;

  virtual void OnWebViewReady() {}
  virtual void OnWebContentLoaded() {}
  // The JSON text of one object the page posted with IKeelSendMsg.
  virtual void OnMessageFromWebView(const char* json) { (void)json; }
  // Default: only the editor's own page (the view refuses every other address in any case).
  virtual bool CanNavigateToUrl(const char* url);
  virtual bool CanDownloadMimeType(const char* mimeType) { return (void)mimeType, false; }
  // Default: the file's name in the user's desktop folder.
  virtual void GetLocalDownloadPath(const char* fileName, HeapString& localPath);
  virtual void OnDownloadCompleted(const char* path) { (void)path; }
  virtual void OnDownloadFailed(const char* path) { (void)path; }
  virtual void OnDownloadProgress(int64_t bytesReceived, int64_t totalBytes) {
    (void)bytesReceived, (void)totalBytes;
  }

  // Starts creating the control in parent (a GTK container) and returns parent. The size is not used:
  // the bounds come from SetWebViewBounds.
  void* OpenWebView(void* parent, float width, float height);
  // Ends the control, or cancels its creation when that is still pending. It can open again.
  void CloseWebView();
  bool IsWebViewOpen() const;

  // Does nothing without a control. done receives the result's JSON text; it is never called after
  // the control closed.
  virtual void EvaluateJavaScript(const char* script, std::function<void(const char* json)> done = nullptr);
  // Serves path's folder under the editor's secure scheme and navigates to the file in it.
  void LoadFile(const char* path);
  void LoadHTML(const char* html);
  // Logical units; kept while there is no control and applied when it is created.
  void SetWebViewBounds(float x, float y, float width, float height, float zoom = 1.0f);
  // Hands a key-down to the parent's top-level window (never back to the page).
  bool PostKeyDownToParent(int virtualKey);

  static HeapString GetWebViewCacheFolder();
  static HeapString GetDesktopFolder();
  static float GetWindowDpiScale(void* window);

private:
  class Host;
  std::unique_ptr<Host> mHost;
  std::unique_ptr<WebKitView> mView;
};

} // namespace keel

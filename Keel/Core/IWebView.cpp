// Portable side of the browser control: forwards the platform control's events to the virtual hooks.
#include "Keel/Core/IWebView.h"

#include <string>

#include "Keel/Platform/WebKitView.h"

namespace keel {

class IWebView::Host final : public WebKitViewHost {
public:
  explicit Host(IWebView& owner) : mOwner(owner) {}

  void OnWebViewReady() override { mOwner.OnWebViewReady(); }
  void OnWebContentLoaded() override { mOwner.OnWebContentLoaded(); }
  void OnMessageFromWebView(const char* json) override { mOwner.OnMessageFromWebView(json); }
  bool CanNavigateToUrl(const char* url) override { return mOwner.CanNavigateToUrl(url); }
  bool CanDownloadMimeType(const char* mimeType) override { return mOwner.CanDownloadMimeType(mimeType); }
  std::string GetLocalDownloadPath(const char* fileName) override {
    HeapString path;
    mOwner.GetLocalDownloadPath(fileName, path);
    return path.Get();
  }
  void OnDownloadCompleted(const char* path) override { mOwner.OnDownloadCompleted(path); }
  void OnDownloadFailed(const char* path) override { mOwner.OnDownloadFailed(path); }
  void OnDownloadProgress(int64_t received, int64_t total) override {
    mOwner.OnDownloadProgress(received, total);
  }

private:
  IWebView& mOwner;
};

IWebView::IWebView(bool, bool enableDevTools, const char*)
    : mHost(std::make_unique<Host>(*this)), mView(std::make_unique<WebKitView>(*mHost, enableDevTools)) {}

IWebView::~IWebView() {
  CloseWebView();
}

bool IWebView::CanNavigateToUrl(const char* url) {
  return IsEditorPageAddress(url);
}

void IWebView::GetLocalDownloadPath(const char* fileName, HeapString& localPath) {
  // Only the name counts: a proposed path must not place the file anywhere else.
  const std::string path =
      WebKitView::GetDesktopFolder() + "/" + FileNameOfPagePath(fileName ? fileName : "");
  localPath.Set(path.c_str());
}

void* IWebView::OpenWebView(void* parent, float, float) {
  mView->Open(parent);
  return parent;
}

void IWebView::CloseWebView() {
  mView->Close();
}

bool IWebView::IsWebViewOpen() const {
  return mView->IsOpen();
}

void IWebView::EvaluateJavaScript(const char* script, std::function<void(const char*)> done) {
  mView->EvaluateJavaScript(script, std::move(done));
}

void IWebView::LoadFile(const char* path) {
  mView->LoadFile(path);
}

void IWebView::LoadHTML(const char* html) {
  mView->LoadHTML(html);
}

void IWebView::SetWebViewBounds(float x, float y, float width, float height, float zoom) {
  // The parent is the control's own business; the scale is that of any window on this platform.
  mView->SetBounds(ComputeWebViewRect(x, y, width, height, GetWindowDpiScale(nullptr)), zoom);
}

bool IWebView::PostKeyDownToParent(int virtualKey) {
  return mView->PostKeyDownToParent(virtualKey);
}

HeapString IWebView::GetWebViewCacheFolder() {
  return HeapString(WebKitView::GetWebViewCacheFolder().c_str());
}

HeapString IWebView::GetDesktopFolder() {
  return HeapString(WebKitView::GetDesktopFolder().c_str());
}

float IWebView::GetWindowDpiScale(void* window) {
  return WebKitView::GetWindowDpiScale(window);
}

} // namespace keel

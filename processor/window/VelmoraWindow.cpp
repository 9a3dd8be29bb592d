// The processor's editor window: opening and closing in the parent, following the parent's size, the page's
// resize requests, the size poll after a request, and the remembered editor size.
#include "processor/Velmora.h"

#include "Keel/Platform/AppWindow.h"
#include "common/Logger.h"
#include "processor/window/EditorSizing.h"

namespace {

// The parent window's display scale; the program works in logical pixels (physical / scale).
double EditorDpiScale(void* window) {
  if (!window)
    return 1.0;
  const double scale = keel::IWebView::GetWindowDpiScale(window);
  return scale > 0.0 ? scale : 1.0;
}

} // namespace

void* Velmora::OpenWindow(void* parent) {
  void* result = keel::IKeelAPP::OpenWindow(parent);
  GetLogger().Log("OpenWindow: hwnd=%p, editor=%dx%d, result=%p", parent, GetEditorWidth(), GetEditorHeight(),
                  result);
  SetWebViewBounds(0.0f, 0.0f, static_cast<float>(GetEditorWidth()), static_cast<float>(GetEditorHeight()),
                   1.0f);
  mDpiCorrectionPending = false;
  if (!parent)
    return result;
  // The window's own minimum must keep the editor's minimum visible: it follows the editor's limits.
  mParentLimits = {};
  SyncParentSizeLimits();
  const double scale = EditorDpiScale(parent);
  if (scale != 1.0) {
    mDpiCorrectionPending = true;
    GetLogger().Log("OpenWindow[APP]: DPI=%.2f, defer correction to OnParentWindowResize", scale);
  }
  return result;
}

void Velmora::CloseWindow() {
  void* parent = GetParentWindow();
  if ((mWindowState.IsSavePending() || IsEditorSizePollRunning()) && parent) {
    // Closing within the save delay or the poll still keeps the size the window had last.
    int width = 0, height = 0;
    if (keel::GetEditorAreaSize(parent, width, height)) {
      const vlm::EditorSize logical = vlm::PhysicalToLogical(width, height, EditorDpiScale(parent));
      RecordEditorSize(logical.width, logical.height);
    }
  }
  SaveWindowState(true);
  mPollDeadlineMs = 0;
  keel::IKeelAPP::CloseWindow();
  // The limits stay with the parent window, which the editor no longer shows; a new parent gets them anew.
  mParentLimits = {};
  mParentWnd = nullptr;
}

void Velmora::OnParentWindowResize(int width, int height) {
  void* parent = GetParentWindow();
  GetLogger().Log("OnParentWindowResize: arg=%dx%d, mNativeParent=%p", width, height, parent);
  if (!parent) {
    keel::IKeelAPP::OnParentWindowResize(width, height);
    return;
  }
  const double scale = EditorDpiScale(parent);
  int clientWidth = 0, clientHeight = 0;
  keel::GetEditorAreaSize(parent, clientWidth, clientHeight);
  if (clientWidth < 1 || clientHeight < 1) {
    GetLogger().Log("OnParentWindowResize: ignoring empty client=%dx%d", clientWidth, clientHeight);
    return;
  }
  const vlm::DpiCorrectionStep step = vlm::NextDpiCorrection(mDpiCorrectionPending, scale, {width, height},
                                                             {GetEditorWidth(), GetEditorHeight()});
  if (step.action == vlm::DpiCorrection::kResize) {
    GetLogger().Log("OnParentWindowResize[APP]: init-correct %dx%d -> %dx%d phys", width, height,
                    step.target.width, step.target.height);
    // One attempt only: a window manager that keeps the window smaller is not fought on every resize.
    mDpiCorrectionPending = false;
    keel::ResizeEditorArea(parent, step.target.width, step.target.height);
    return;
  }
  if (step.action == vlm::DpiCorrection::kComplete) {
    mDpiCorrectionPending = false;
    GetLogger().Log("OnParentWindowResize[APP]: init complete at %dx%d phys", width, height);
  }
  const vlm::EditorSize logical = vlm::PhysicalToLogical(clientWidth, clientHeight, scale);
  GetLogger().Log("OnParentWindowResize: arg=%dx%d, client=%dx%d phys, logical=%dx%d (DPI %.2f)", width,
                  height, clientWidth, clientHeight, logical.width, logical.height, scale);
  if (logical.width <= 0 || logical.height <= 0)
    return;
  RecordEditorSize(logical.width, logical.height);
  SetWebViewBounds(0.0f, 0.0f, static_cast<float>(logical.width), static_cast<float>(logical.height), 1.0f);
  EditorResize(logical.width, logical.height, false);
}

bool Velmora::ConstrainEditorResize(int& width, int& height) const {
  return vlm::ConstrainToEditorLimits(width, height, mExpandedTones);
}

void Velmora::ResizeEditor(int width, int height) {
  const vlm::EditorSize size = vlm::ClampResizeRequest(width, height, mExpandedTones);
  const vlm::EditorSize current{GetEditorWidth(), GetEditorHeight()};
  if (void* parent = GetParentWindow()) {
    GetLogger().Log("OnMessage[ResizeEditor APP]: logical=%dx%d, current=%dx%d", size.width, size.height,
                    current.width, current.height);
    if (size == current)
      return;
    SetEditorSize(size.width, size.height);
    const vlm::EditorSize physical = vlm::LogicalToPhysicalRounded(size, EditorDpiScale(parent));
    keel::ResizeEditorArea(parent, physical.width, physical.height);
  } else {
    GetLogger().Log("OnMessage[ResizeEditor]: logical=%dx%d, toHost=%dx%d, current=%dx%d", size.width,
                    size.height, size.width, size.height, current.width, current.height);
    if (size == current)
      return;
    EditorResize(size.width, size.height, true);
    GetLogger().Log("OnMessage[ResizeEditor]: after EditorResize, current=%dx%d", GetEditorWidth(),
                    GetEditorHeight());
  }
  // The window may settle on another size (limits, the window manager): record whatever it reaches.
  StartEditorSizePoll();
}

void Velmora::RecordEditorSize(int width, int height) {
  mWindowState.Record(width, height, vlm::SteadyNowMs());
}

void Velmora::StartEditorSizePoll() {
  mPollDeadlineMs = vlm::SteadyNowMs() + 1000;
  PollEditorWindowSize();
}

void Velmora::PollEditorWindowSize() {
  if (mPollDeadlineMs == 0)
    return;
  if (vlm::SteadyNowMs() > mPollDeadlineMs) {
    mPollDeadlineMs = 0;
    return;
  }
  void* parent = GetParentWindow();
  int width = 0, height = 0;
  if (!parent || !keel::GetEditorAreaSize(parent, width, height))
    return;
  const vlm::EditorSize logical = vlm::PhysicalToLogical(width, height, EditorDpiScale(parent));
  if (logical.width > 0 && logical.height > 0)
    RecordEditorSize(logical.width, logical.height);
}

void Velmora::SaveWindowState(bool force) {
  mWindowState.Save(force, vlm::SteadyNowMs());
}

void Velmora::LoadWindowState() {
  if (const auto size = mWindowState.Load())
    SetEditorSize(size->width, size->height);
}

void Velmora::SyncParentSizeLimits() {
  void* parent = GetParentWindow();
  if (!parent)
    return;
  const keel::EditorSizeLimits limits{GetMinWidth(), GetMinHeight(), GetMaxWidth(), GetMaxHeight()};
  if (limits == mParentLimits)
    return;
  keel::SetEditorAreaLimits(parent, limits);
  mParentLimits = limits;
}

void Velmora::RunEditorWindowIdle() {
  // The page's bank state can raise the minimum height at any time; the window follows within a tick.
  SyncParentSizeLimits();
  PollEditorWindowSize();
  SaveWindowState(false);
}

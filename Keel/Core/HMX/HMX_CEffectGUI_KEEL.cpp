// The plug-in's GUI object: the processor's editor in the host's view container.
#include "Keel/Core/HMX/HMX_CEffectGUI_KEEL.h"

#include "Keel/Core/HMX/IKeelHMX.h"

#include <cstdlib>

namespace keel {

void HMX_CEffectGUI_KEEL::AttachEffect() {
  // The host hands the effect's interface; only our own effect objects can be bound.
  auto* parameters = dynamic_cast<HMX_CEffectParameters*>(static_cast<HMX_IHCFEffectParameters*>(Effect()));
  mProcessor = dynamic_cast<IKeelHMX*>(parameters);
}

void HMX_CEffectGUI_KEEL::OpenHostView() {
  void* window = NativeView();
  if (!window || !mProcessor)
    return;
  if (mProcessor->HasUI())
    mProcessor->OpenWindow(window);
  if (auto* view = static_cast<IKeelHMXView_Interface*>(mProcessor->GetHMXViewInterface()))
    view->SetViewContainer(ViewContainer());
}

void HMX_CEffectGUI_KEEL::CloseHostView() {
  if (!mProcessor)
    return;
  mProcessor->CloseWindow();
  if (auto* view = static_cast<IKeelHMXView_Interface*>(mProcessor->GetHMXViewInterface()))
    view->SetViewContainer(nullptr);
}

HMX_Result HMX_CEffectGUI_KEEL::ReportViewSize(HMX_ViewSize* out) {
  if (out && mProcessor && mProcessor->HasUI()) {
    out->height = float(mProcessor->GetEditorHeight());
    out->width = float(mProcessor->GetEditorWidth());
  }
  return HMX_SUCCESS;
}

HMX_Result HMX_CEffectGUI_KEEL::HighlightControl(const char* id, bool highlighted, int32_t colour) {
  auto* view = mProcessor ? static_cast<IKeelHMXView_Interface*>(mProcessor->GetHMXViewInterface()) : nullptr;
  if (!view)
    return HMX_ERROR_INVALID_PARAMETER_ID;
  const long number = id ? std::strtol(id, nullptr, 10) : 0;
  if (number != 0)
    view->HighlightControl(int(number - 1), highlighted, colour);
  return HMX_SUCCESS;
}

} // namespace keel

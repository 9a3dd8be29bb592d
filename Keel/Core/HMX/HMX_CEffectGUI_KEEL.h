// The plug-in's GUI object: opens the processor's editor in the host's view container.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectGUI.h"

namespace keel {

class IKeelHMX;

// Threads: the host's user-interface thread.
class HMX_CEffectGUI_KEEL : public HMX_CEffectGUI {
public:
  HMX_CEffectGUI_KEEL() = default;

  void AttachEffect() override;
  void OpenHostView() override;
  void CloseHostView() override;
  HMX_Result ReportViewSize(HMX_ViewSize* out) override;
  HMX_Result HighlightControl(const char* id, bool highlighted, int32_t colour) override;

  IKeelHMX* Processor() const { return mProcessor; }

private:
  IKeelHMX* mProcessor = nullptr;
};

} // namespace keel

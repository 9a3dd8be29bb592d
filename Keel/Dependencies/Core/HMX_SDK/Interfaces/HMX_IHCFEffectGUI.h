// The GUI object's interface as the host calls it (entries 4 to 14).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Threads: the host's user-interface thread.
class HMX_IHCFEffectGUI : public IHCFUnknown {
public:
  virtual HMX_Result InitializeGUI(IHCFUnknown* controller) = 0;
  virtual HMX_Result TeardownGUI() = 0;
  virtual HMX_Result GUIExtensionA(void*) = 0;
  virtual HMX_Result SetViewContainer(IHCFUnknown* viewContainer) = 0;
  virtual HMX_Result ReportViewSize(HMX_ViewSize* out) = 0;
  virtual HMX_Result GUIExtensionB(void*) = 0;
  virtual HMX_Result GUIExtensionC(void*) = 0;
  virtual HMX_Result ParamChangedHook(const char* id) = 0;

protected:
  ~HMX_IHCFEffectGUI() = default;
};

class HMX_IHCFEffectGUI_V2 : public HMX_IHCFEffectGUI {
public:
  virtual HMX_Result GUIExtensionD(void*) = 0;
  virtual HMX_Result HighlightControl(const char* id, bool highlighted, int32_t colour) = 0;
  virtual HMX_Result GUIExtensionE(void*) = 0;

protected:
  ~HMX_IHCFEffectGUI_V2() = default;
};

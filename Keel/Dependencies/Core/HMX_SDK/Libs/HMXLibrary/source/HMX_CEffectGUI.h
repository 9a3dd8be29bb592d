// Base of the plug-in's GUI object: initialised with the host's controller, handed a view container
// to draw into, asked for its size. A derived class binds the effect and opens and closes the editor.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFEffectParameters.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/CHCFUnknown.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IEffectGUI.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VTransport.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VViewContainer.h"

#include <memory>

// Threads: the host's user-interface thread. Before its last release the object must have closed
// its view (TeardownGUI or SetViewContainer(null)), since closing is the derived class's hook.
class HMX_CEffectGUI : public HMX_IEffectGUI, public CHCFUnknown {
public:
  explicit HMX_CEffectGUI(IHCFUnknown* outer = nullptr);
  ~HMX_CEffectGUI() override;

  // IHCFUnknown: forwarded to the outer object.
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override {
    return Outer()->QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return Outer()->AddRef(); }
  uint32_t Release() override { return Outer()->Release(); }

  // Host interface. No exception leaves these: a failure in a hook is traced and answered
  // with HMX_ERROR_UNKNOWN_EXCEPTION.
  HMX_Result InitializeGUI(IHCFUnknown* controller) override;
  HMX_Result TeardownGUI() override;
  HMX_Result GUIExtensionA(void*) override { return HMX_SUCCESS; }
  HMX_Result SetViewContainer(IHCFUnknown* viewContainer) override;
  HMX_Result ReportViewSize(HMX_ViewSize*) override { return HMX_SUCCESS; }
  HMX_Result GUIExtensionB(void*) override { return HMX_SUCCESS; }
  HMX_Result GUIExtensionC(void*) override { return HMX_SUCCESS; }
  HMX_Result ParamChangedHook(const char*) override { return HMX_SUCCESS; }
  HMX_Result GUIExtensionD(void*) override { return HMX_ERROR_NULL_OBJECT; }
  HMX_Result HighlightControl(const char*, bool, int32_t) override { return HMX_SUCCESS; }
  HMX_Result GUIExtensionE(void*) override { return HMX_SUCCESS; }

  // Hooks of the derived class.
  virtual void AttachEffect() = 0;
  virtual void OpenHostView() = 0;
  virtual void CloseHostView() = 0;
  // Calls ParamChangedHook for every parameter ID the effect reports.
  virtual void UpdateAllParameters();

  HMX_IHCFEffectParameters* Effect() const { return mEffect.Get(); }
  HMX_VViewContainer* ViewContainer() const { return mViewContainer.get(); }
  // The container's native view, or null without a container.
  void* NativeView() const { return mViewContainer ? mViewContainer->NativeViewPtr() : nullptr; }
  HMX_VController* Controller() const { return mController.get(); }
  HMX_VTransport* Transport() const { return mTransport.get(); }

  HMX_Result InnerQuery(const HMX_GUID& iid, void** out) override;

private:
  std::unique_ptr<HMX_VController> mController;
  HMX_CHostRef<HMX_IHCFEffectParameters> mEffect;
  std::unique_ptr<HMX_VViewContainer> mViewContainer;
  std::unique_ptr<HMX_VTransport> mTransport;
};

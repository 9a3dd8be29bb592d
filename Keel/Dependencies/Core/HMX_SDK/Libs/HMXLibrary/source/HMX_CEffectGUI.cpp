// Base of the plug-in's GUI object.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectGUI.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <exception>

namespace {
// Runs a host-facing operation so that no exception reaches the host.
template <class Body> HMX_Result Guarded(const char* operation, Body&& body) {
  try {
    return body();
  } catch (const HMX::Exception::Any& e) {
    HMX::HostTrace(HMX::kTracePriorityException, "%s exception caught: %s", operation, e.What().c_str());
  } catch (const std::exception& e) {
    HMX::HostTrace(HMX::kTracePriorityException, "%s exception caught: %s", operation, e.what());
  } catch (...) {
    HMX::HostTrace(HMX::kTracePriorityException, "%s exception caught: unknown", operation);
  }
  return HMX_ERROR_UNKNOWN_EXCEPTION;
}
} // namespace

HMX_CEffectGUI::HMX_CEffectGUI(IHCFUnknown* outer) : CHCFUnknown(outer) {}

HMX_CEffectGUI::~HMX_CEffectGUI() = default;

HMX_Result HMX_CEffectGUI::InnerQuery(const HMX_GUID& iid, void** out) {
  if (out && (iid == HMX_IID_EffectGUI || iid == HMX_IID_EffectGUI_V2)) {
    *out = static_cast<HMX_IHCFEffectGUI_V2*>(this);
    AddRef();
    return HMX_SUCCESS;
  }
  return CHCFUnknown::InnerQuery(iid, out);
}

HMX_Result HMX_CEffectGUI::InitializeGUI(IHCFUnknown* controller) {
  return Guarded("HMX_CEffectGUI::InitializeGUI", [&] {
    mController = std::make_unique<HMX_VController>(controller);
    if (!controller || !mController)
      return HMX_ERROR_NOT_INITIALIZED;
    mEffect = HMX_AskInterface<HMX_IHCFEffectParameters>(controller, HMX_IID_EffectParameters);
    mTransport = std::make_unique<HMX_VTransport>(controller);
    AttachEffect();
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectGUI::TeardownGUI() {
  return Guarded("HMX_CEffectGUI::TeardownGUI", [&] {
    if (mViewContainer)
      SetViewContainer(nullptr);
    mEffect.Reset();
    mController.reset();
    mTransport.reset();
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectGUI::SetViewContainer(IHCFUnknown* viewContainer) {
  return Guarded("HMX_CEffectGUI::SetViewContainer", [&] {
    if (!viewContainer) {
      CloseHostView();
      mViewContainer.reset();
      return HMX_SUCCESS;
    }
    mViewContainer = std::make_unique<HMX_VViewContainer>(viewContainer);
    OpenHostView();
    UpdateAllParameters();
    return HMX_SUCCESS;
  });
}

void HMX_CEffectGUI::UpdateAllParameters() {
  if (!mEffect)
    return;
  int32_t count = 0;
  if (mEffect->ParamCount(&count) != HMX_SUCCESS) {
    HMX::HostTrace(HMX::kTracePriorityParamCount,
                   "HMX_CEffectGUI::UpdateAllParameters - error getting the number of parameters");
    return;
  }
  for (int32_t index = 0; index < count; ++index) {
    HMX_CString id;
    if (mEffect->ParamIDAt(index, &id) == HMX_SUCCESS)
      ParamChangedHook(id.Text());
  }
}

// The module's seven exported C entry points.
#include "Keel/Core/HMX/HMXModuleExports.h"

#include "Keel/Core/HMX/IKeelHMX_Describe.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/CHCFUnknown.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CheckedResult.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_GuardedCall.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VHostServices.h"

#include <exception>
#include <memory>

namespace {

// The host-services wrapper of the running module; written only by start-up and shut-down.
std::unique_ptr<HMX_VHostServices> gHostServices;

// Any exception in an entry point other than the registration answers the object model's failure.
template <class Body> HMX_Result Entry(const char* name, Body&& body) {
  return HMX::GuardedCall(name, std::forward<Body>(body), HMX_HCF_E_UNEXPECTED);
}

} // namespace

HMX_Result HCFStartup(IHCFUnknown* hostObject) {
  return Entry("HCFStartup", [&] {
    if (!gHostServices && hostObject) {
      gHostServices = std::make_unique<HMX_VHostServices>(hostObject);
      HMX::SetHostServices(gHostServices.get());
    }
    return HMX_SUCCESS;
  });
}

HMX_Result HCFShutdown(IHCFUnknown*) {
  return Entry("HCFShutdown", [&] {
    HMX::SetHostServices(nullptr);
    gHostServices.reset();
    return HMX_SUCCESS;
  });
}

HMX_Result HCFRegisterPlugin(IHCFUnknown* hostObject, IHCFUnknown** outCollection) {
  std::unique_ptr<HMX_VCollection> collection;
  // A failure leaves no stale interface behind for a host that reads the answer anyway.
  if (outCollection)
    *outCollection = nullptr;
  try {
    collection = std::make_unique<HMX_VCollection>(hostObject);
    HMX_CheckedResult checked = keel::DescribeEffects(*collection);
    // Without a place for the answer the host could not take the collection: no success then.
    if (!outCollection)
      checked = HMX_ERROR_NULL_ARGUMENT;
    HMX_IHCFCollection* hostCollection = collection->HostCollection();
    if (!hostCollection ||
        hostCollection->QueryInterface(HMX_IID_Collection_Result, reinterpret_cast<void**>(outCollection)) !=
            HMX_SUCCESS)
      checked = HMX_ERROR_NULL_OBJECT;
    collection.reset();
    return HMX_SUCCESS;
  } catch (const HMX::Exception::ResultError& e) {
    HMX::HostTrace(HMX::kTracePriorityException, "HMXRegisterPlugin exception caught: %s", e.What().c_str());
    return e.Result();
  } catch (const HMX::Exception::Any& e) {
    HMX::HostTrace(HMX::kTracePriorityException, "HMXRegisterPlugin exception caught: %s", e.What().c_str());
  } catch (const std::exception& e) {
    HMX::HostTrace(HMX::kTracePriorityException, "HMXRegisterPlugin exception caught: %s", e.what());
  } catch (...) {
    HMX::HostTrace(HMX::kTracePriorityException, "HMXRegisterPlugin exception caught: unknown");
  }
  return HMX_ERROR_UNKNOWN_EXCEPTION;
}

HMX_Result HCFRegisterComponent(IHCFUnknown*, const HMX_GUID*, void** out) {
  // The module registers no components.
  if (out)
    *out = nullptr;
  return HMX_SUCCESS;
}

HMX_Result HCFGetClassFactory(IHCFUnknown*, const HMX_GUID*, const HMX_GUID*, void** out) {
  // Objects are made through the description's create procedures, never through a class factory.
  if (out)
    *out = nullptr;
  return HMX_ERROR_UNIMPLEMENTED;
}

HMX_Result HCFCanUnloadNow() {
  return CHCFUnknown::LiveObjectCount();
}

HMX_Result HCFGetSDKVersion(uint64_t* outVersion) {
  if (!outVersion)
    return HMX_ERROR_NULL_ARGUMENT;
  *outVersion = kHMXSDKVersion;
  return HMX_SUCCESS;
}

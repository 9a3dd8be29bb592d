// Reference-counted base of the module's objects that the host holds.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/CHCFUnknown.h"

namespace {
std::atomic<int32_t> gLiveObjects{0};
}

CHCFUnknown::CHCFUnknown(IHCFUnknown* outer) : mOuter(outer ? outer : &mInner), mInner(*this) {
  ++gLiveObjects;
}

CHCFUnknown::~CHCFUnknown() {
  --gLiveObjects;
}

int32_t CHCFUnknown::LiveObjectCount() {
  return gLiveObjects.load();
}

HMX_Result CHCFUnknown::InnerQuery(const HMX_GUID& iid, void** out) {
  if (!out)
    return HMX_HCF_E_POINTER;
  *out = nullptr;
  if (iid == HMX_IID_Unknown) {
    *out = static_cast<IHCFUnknown*>(&mInner);
    mInner.AddRef();
    return HMX_SUCCESS;
  }
  return HMX_HCF_E_NOINTERFACE;
}

uint32_t CHCFUnknown::InnerAddRef() {
  return uint32_t(++mRefCount);
}

uint32_t CHCFUnknown::InnerRelease() {
  const int32_t count = --mRefCount;
  if (count == 0) {
    PreDelete();
    DeleteSelf();
  }
  return uint32_t(count);
}

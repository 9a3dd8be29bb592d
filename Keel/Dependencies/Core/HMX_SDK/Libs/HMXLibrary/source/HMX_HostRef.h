// Holding host interfaces: one reference per holder, released on destruction; asking an object for
// an interface and creating one through the host's class factory.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

#include <utility>

template <class I> class HMX_CHostRef {
public:
  HMX_CHostRef() = default;
  explicit HMX_CHostRef(I* adopted) : mPtr(adopted) {}
  ~HMX_CHostRef() { Reset(); }
  HMX_CHostRef(const HMX_CHostRef&) = delete;
  HMX_CHostRef& operator=(const HMX_CHostRef&) = delete;
  HMX_CHostRef(HMX_CHostRef&& other) noexcept : mPtr(std::exchange(other.mPtr, nullptr)) {}
  HMX_CHostRef& operator=(HMX_CHostRef&& other) noexcept {
    if (this != &other) {
      Reset();
      mPtr = std::exchange(other.mPtr, nullptr);
    }
    return *this;
  }

  void Reset() {
    if (I* p = std::exchange(mPtr, nullptr))
      p->Release();
  }
  // Lets go of the pointer without releasing it.
  I* Detach() { return std::exchange(mPtr, nullptr); }
  I* Get() const { return mPtr; }
  I* operator->() const { return mPtr; }
  explicit operator bool() const { return mPtr != nullptr; }

private:
  I* mPtr = nullptr;
};

// What to do when the host answers success but hands back no object.
enum class HMX_EmptyAnswer { kNull, kThrow };

namespace HMX::Detail {
[[noreturn]] void ThrowEmptyHostAnswer(const char* what);
}

// The interface that the object answers to iid (one reference held by the result), or null.
template <class I>
HMX_CHostRef<I> HMX_AskInterface(IHCFUnknown* object, const HMX_GUID& iid,
                                 HMX_EmptyAnswer empty = HMX_EmptyAnswer::kNull) {
  if (!object)
    return {};
  void* out = nullptr;
  if (object->QueryInterface(iid, &out) != HMX_SUCCESS)
    return {};
  if (!out && empty == HMX_EmptyAnswer::kThrow)
    HMX::Detail::ThrowEmptyHostAnswer("QueryInterface");
  return HMX_CHostRef<I>(static_cast<I*>(out));
}

// An object of classID made by the class factory that the object answers, asked for iid; or null.
template <class I>
HMX_CHostRef<I> HMX_CreateThroughFactory(IHCFUnknown* object, const HMX_GUID& classID, const HMX_GUID& iid,
                                         HMX_EmptyAnswer empty = HMX_EmptyAnswer::kNull) {
  HMX_CHostRef<IHCFClassFactory> factory = HMX_AskInterface<IHCFClassFactory>(object, HMX_IID_ClassFactory);
  if (!factory)
    return {};
  void* out = nullptr;
  if (factory->CreateInstance(classID, nullptr, iid, &out) != HMX_SUCCESS)
    return {};
  if (!out && empty == HMX_EmptyAnswer::kThrow)
    HMX::Detail::ThrowEmptyHostAnswer("CreateInstance");
  return HMX_CHostRef<I>(static_cast<I*>(out));
}

// Holds one more reference to an object the caller already has.
template <class I> HMX_CHostRef<I> HMX_AddRefed(I* object) {
  if (object)
    object->AddRef();
  return HMX_CHostRef<I>(object);
}

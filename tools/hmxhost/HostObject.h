// Reference counting and interface lookup for the host objects that the module calls back into.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IString.h"

#include <string>
#include <utility>
#include <vector>

namespace hmxhost {

// A host object that answers the interface IDs it offers. Heap objects made for the module delete
// themselves at their last release; objects the host program owns only count.
template <class First, class... Others> class HostObject : public First, public Others... {
public:
  virtual ~HostObject() = default;
  IHCFUnknown* Unknown() { return static_cast<First*>(this); }
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override {
    for (auto& [id, iface] : mOffered)
      if (id == iid) {
        *out = iface;
        ++mRefs;
        return HMX_SUCCESS;
      }
    *out = nullptr;
    return HMX_HCF_E_NOINTERFACE;
  }
  uint32_t AddRef() override { return uint32_t(++mRefs); }
  uint32_t Release() override {
    const int left = --mRefs;
    if (left == 0 && mDeleteAtZero)
      delete this;
    return uint32_t(left);
  }
  int Refs() const { return mRefs; }

protected:
  void Offer(const HMX_GUID& iid, void* iface) { mOffered.emplace_back(iid, iface); }
  bool mDeleteAtZero = false;

private:
  int mRefs = 0;
  std::vector<std::pair<HMX_GUID, void*>> mOffered;
};

// The host's text object for the module's string answers.
class HostString : public HMX_IString {
public:
  uint32_t Length() const override { return uint32_t(mText.size()); }
  uint32_t MaxLength() const override { return 0xFFFFFFFEu; }
  const char* Text() const override { return mText.c_str(); }
  void SetText(const char* text) override { mText = text ? text : ""; }
  HMX_IString& operator=(const char* text) override { return SetText(text), *this; }
  HMX_IString& operator=(const HMX_IString& other) override { return SetText(other.Text()), *this; }

private:
  std::string mText;
};

} // namespace hmxhost

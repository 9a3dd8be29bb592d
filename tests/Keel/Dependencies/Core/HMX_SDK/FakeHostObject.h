// Test support: reference-counted fake host objects that answer the interface IDs they were given.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

#include <string>
#include <utility>
#include <vector>

// Shared by a test and its fakes: a log of host calls and a count of fakes freed by their last release.
struct FakeHostLog {
  std::vector<std::string> calls;
  int destroyed = 0;
  void Add(std::string call) { calls.push_back(std::move(call)); }
};

// Base of every fake: the fake's final class implements QueryInterface, AddRef and Release with these.
class FakeRefCounted {
public:
  virtual ~FakeRefCounted() = default;
  void Offer(const HMX_GUID& iid, void* iface) { mOffered.emplace_back(iid, iface); }
  int refs = 0;
  // Heap fakes delete themselves at their last release; stack fakes just count.
  bool deleteAtZero = false;
  FakeHostLog* log = nullptr;

protected:
  HMX_Result DoQuery(const HMX_GUID& iid, void** out) {
    for (auto& [id, iface] : mOffered) {
      if (id == iid) {
        *out = iface;
        ++refs;
        return HMX_SUCCESS;
      }
    }
    *out = nullptr;
    return HMX_HCF_E_NOINTERFACE;
  }
  uint32_t DoAddRef() { return uint32_t(++refs); }
  uint32_t DoRelease() {
    const int left = --refs;
    if (left == 0 && deleteAtZero) {
      if (log)
        ++log->destroyed;
      delete this;
    }
    return uint32_t(left);
  }

private:
  std::vector<std::pair<HMX_GUID, void*>> mOffered;
};

// Implements IHCFUnknown's three entries in a fake's final class.
template <class First, class... Others>
class FakeHostObject : public FakeRefCounted, public First, public Others... {
public:
  // The object as the host hands it in (through its first interface).
  IHCFUnknown* Unknown() { return static_cast<First*>(this); }
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override { return DoQuery(iid, out); }
  uint32_t AddRef() override { return DoAddRef(); }
  uint32_t Release() override { return DoRelease(); }
};

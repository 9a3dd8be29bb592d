// Reference-counted base of the module's objects that the host holds, with an inner IHCFUnknown so
// that an object can live inside another (aggregation), and the process-wide live-object count.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

#include <atomic>

// Threads: references are added and released from any host thread (atomic counts).
class CHCFUnknown {
public:
  // outer: the IHCFUnknown of the aggregating object, or null for a stand-alone object.
  explicit CHCFUnknown(IHCFUnknown* outer = nullptr);
  virtual ~CHCFUnknown();
  CHCFUnknown(const CHCFUnknown&) = delete;
  CHCFUnknown& operator=(const CHCFUnknown&) = delete;

  virtual HMX_Result InitHook() { return HMX_SUCCESS; }
  // Called when the reference count reaches 0, just before deletion.
  virtual void PreDelete() {}
  virtual void DeleteSelf() { delete this; }
  // Answers the inner interface for HMX_IID_Unknown; derived classes add their interfaces.
  virtual HMX_Result InnerQuery(const HMX_GUID& iid, void** out);
  virtual uint32_t InnerAddRef();
  virtual uint32_t InnerRelease();

  // The object's own interfaces forward QueryInterface, AddRef and Release here.
  IHCFUnknown* Outer() const { return mOuter; }
  IHCFUnknown* Inner() { return &mInner; }
  int32_t RefCount() const { return mRefCount.load(); }

  // Number of CHCFUnknown objects alive in the process; 0 means the module may be unloaded.
  static int32_t LiveObjectCount();

  class PrivateUnknown : public IHCFUnknown {
  public:
    explicit PrivateUnknown(CHCFUnknown& owner) : mOwner(owner) {}
    HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override {
      return mOwner.InnerQuery(iid, out);
    }
    uint32_t AddRef() override { return mOwner.InnerAddRef(); }
    uint32_t Release() override { return mOwner.InnerRelease(); }
    virtual ~PrivateUnknown() = default;

  private:
    CHCFUnknown& mOwner;
  };

private:
  std::atomic<int32_t> mRefCount{0};
  IHCFUnknown* mOuter;
  PrivateUnknown mInner;
};

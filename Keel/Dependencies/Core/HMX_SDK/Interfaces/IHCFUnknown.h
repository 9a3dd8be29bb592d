// The host's object model: query by interface ID, add a reference, release one; and the class factory.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_InterfaceIDs.h"

// Threads: any host thread. Objects are released, never deleted, through this interface.
class IHCFUnknown {
public:
  virtual HMX_Result QueryInterface(const HMX_GUID& iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  ~IHCFUnknown() = default;
};

// Answered to HMX_IID_ClassFactory by the objects that the host hands in.
class IHCFClassFactory : public IHCFUnknown {
public:
  // Creates an object of the class, aggregated in outer when it is not null, and answers the interface.
  virtual HMX_Result CreateInstance(const HMX_GUID& classID, IHCFUnknown* outer, const HMX_GUID& iid,
                                    void** out) = 0;

protected:
  ~IHCFClassFactory() = default;
};

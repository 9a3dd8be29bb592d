// Wrapper of a host property map (numbered 32-bit and pointer properties), versions 1 to 3. For hosts
// without version 3 it keeps the procedure pointers locally and refuses stem formats they cannot take.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFDescription.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"

#include <map>

// Property IDs with a meaning of their own here.
enum HMX_EPropertyID : int32_t {
  HMX_eProperty_PlugInTypeNative = 13,
  HMX_eProperty_PlugInTypeOffline = 14,
  HMX_eProperty_PlugInTypeTI = 15,
  HMX_eProperty_NativeProcessProc = 36,
  HMX_eProperty_NativeInstanceInitProc = 37,
  HMX_eProperty_NativeBackgroundProc = 38,
  HMX_eProperty_TIDLLFileName = 39,
  HMX_eProperty_TIProcessProc = 40,
  HMX_eProperty_TIInstanceInitProc = 41,
  HMX_eProperty_TIBackgroundProc = 42,
  HMX_eProperty_InputStemFormat = 51,
  HMX_eProperty_OutputStemFormat = 52,
  HMX_eProperty_NativeAudioBufferLength = 54,
  HMX_eProperty_StemFormats = 10001, // both stem formats at once
};

// Threads: the registering thread only.
class HMX_VPropertyMap {
public:
  // A new host map, made through the host object's class factory.
  explicit HMX_VPropertyMap(IHCFUnknown* hostObject);
  // Wraps an existing host map; hostObject (may be null) only helps to find the description host.
  HMX_VPropertyMap(IHCFUnknown* hostObject, IHCFUnknown* existingMap);
  virtual ~HMX_VPropertyMap() = default;
  HMX_VPropertyMap(const HMX_VPropertyMap&) = delete;
  HMX_VPropertyMap& operator=(const HMX_VPropertyMap&) = delete;

  virtual bool GetProperty(int32_t id, int32_t* out);
  virtual bool GetPointerProperty(int32_t id, void** out);
  virtual HMX_Result AddProperty(int32_t id, int32_t value);
  virtual HMX_Result AddPointerPropertySized(int32_t id, void* pointer) {
    return AddPointerProperty(id, pointer);
  }
  virtual HMX_Result AddPointerProperty(int32_t id, void* pointer);
  virtual HMX_Result RemoveProperty(int32_t id) {
    return mV1 ? mV1->RemoveProperty(id) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result V2Op7(void* a) { return mV2 ? mV2->HostOp7(a) : HMX_ERROR_UNIMPLEMENTED; }
  virtual bool V2Op8(void* a) { return mV2 ? mV2->HostOp8(a) : false; }
  // The interface handed to the host: the newest version present, or null.
  virtual IHCFUnknown* HostInterface() const;

  bool HasDescriptionHost() const { return bool(mDescriptionHost); }

private:
  void FindDescriptionHost(IHCFUnknown* hostObject);

  HMX_CHostRef<HMX_IHCFPropertyMap> mV1;
  HMX_CHostRef<HMX_IHCFPropertyMap_V2> mV2;
  HMX_CHostRef<HMX_IHCFPropertyMap_V3> mV3;
  HMX_CHostRef<HMX_IHCFDescriptionHost> mDescriptionHost;
  std::map<int32_t, void*> mLocalPointers;
};

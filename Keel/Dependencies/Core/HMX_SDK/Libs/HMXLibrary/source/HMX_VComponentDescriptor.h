// Wrapper of a host component descriptor (one processing component: context fields and process
// procedures), versions 1 to 3. Registers procedures one by one for hosts without version 3.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VPropertyMap.h"

#include <memory>
#include <vector>

// Threads: the registering thread only.
class HMX_VComponentDescriptor {
public:
  explicit HMX_VComponentDescriptor(IHCFUnknown* hostObject);
  virtual ~HMX_VComponentDescriptor();
  HMX_VComponentDescriptor(const HMX_VComponentDescriptor&) = delete;
  HMX_VComponentDescriptor& operator=(const HMX_VComponentDescriptor&) = delete;

  virtual HMX_Result V1Op4(void* a) { return mV1 ? mV1->HostOp4(a) : HMX_ERROR_NULL_OBJECT; }
  virtual HMX_Result DeclareAudioInput(int32_t field) {
    return mV1 ? mV1->DeclareAudioInput(field) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclareAudioOutput(int32_t field) {
    return mV1 ? mV1->DeclareAudioOutput(field) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclareBufferLength(int32_t field) {
    return mV1 ? mV1->DeclareBufferLength(field) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result V1Op9(void* a) { return mV1 ? mV1->HostOp9(a) : HMX_ERROR_NULL_OBJECT; }
  virtual HMX_Result DeclareClock(int32_t field) {
    return mV1 ? mV1->DeclareClock(field) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclareSideChainInput(int32_t field) {
    return mV1 ? mV1->DeclareSideChainInput(field) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclareDataInPort(int32_t field, uint32_t size, bool buffered) {
    return mV1 ? mV1->DeclareDataInPort(field, size, buffered) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclareAuxOutputStem(int32_t index, int32_t stemFormat, const char* name) {
    return mV1 ? mV1->DeclareAuxOutputStem(index, stemFormat, name) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclarePrivateData(int32_t field, uint32_t size, uint32_t options) {
    return mV1 ? mV1->DeclarePrivateData(field, size, options) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result V2Op20(void* a) { return mV2 ? mV2->HostOp20(a) : HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result V1Op15(void* a) { return mV1 ? mV1->HostOp15(a) : HMX_ERROR_NULL_OBJECT; }
  virtual HMX_Result DeclareMeters(int32_t field, const uint32_t* meterIDs, int32_t count) {
    return mV1 ? mV1->DeclareMeters(field, meterIDs, count) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result DeclareMIDINode(int32_t field, int32_t nodeType, const char* name, uint32_t mask) {
    return mV1 ? mV1->DeclareMIDINode(field, nodeType, name, mask) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result V1Op5(void* a) { return mV1 ? mV1->HostOp5(a) : HMX_ERROR_NULL_OBJECT; }
  // A new map owned by this descriptor.
  virtual HMX_VPropertyMap* CreatePropertyMap();
  // A new owned map holding every 32-bit and pointer property 10 to 401 of the source.
  virtual HMX_VPropertyMap* CopyPropertyMap(HMX_VPropertyMap* source);
  virtual HMX_Result RegisterNativeProc(HMX_ProcessProc proc, HMX_VPropertyMap* map,
                                        HMX_InstanceInitProc init, HMX_BackgroundProc background,
                                        uint32_t* outProcID);
  virtual HMX_Result RegisterTIProc(const char* libraryFile, void* proc, HMX_VPropertyMap* map, void* init,
                                    void* background, uint32_t* outProcID);
  // Registers the procedures the map describes; outList gets their IDs and a 0 (capacity counts both).
  virtual HMX_Result RegisterProcessProcs(HMX_VPropertyMap* map, uint32_t* outList, int32_t capacity);

  // The version-1 interface handed to the effect descriptor.
  IHCFUnknown* V1Interface() const { return mV1.Get(); }

private:
  HMX_Result RegisterOneByOne(HMX_VPropertyMap* map, uint32_t* outList, int32_t capacity);

  HMX_CHostRef<IHCFUnknown> mHostObject;
  HMX_CHostRef<HMX_IHCFComponentDescriptor> mV1;
  HMX_CHostRef<HMX_IHCFComponentDescriptor_V2> mV2;
  HMX_CHostRef<HMX_IHCFComponentDescriptor_V3> mV3;
  std::vector<std::unique_ptr<HMX_VPropertyMap>> mPropertyMaps;
};

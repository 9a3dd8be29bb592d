// The host's description interfaces: collection, effect and component descriptors, property maps,
// description host, host definition and feature info, used while the module describes itself.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entry numbers as the host counts them (QueryInterface, AddRef and Release are 1 to 3). A host
// implements what it offers; the rest answer HMX_ERROR_UNIMPLEMENTED, false or null. Map and
// descriptor arguments are the objects' own host interfaces. Threads: the thread that registers.

class HMX_IHCFCollection : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp5(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp6(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp7(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result RegisterEffect(const char* /*effectID*/, IHCFUnknown* /*descriptor*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result SetMakerName(const char*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result AppendPackageName(const char*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result SetPackageVersion(uint32_t) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result AttachProperties(IHCFUnknown* /*map*/) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFCollection() = default;
};

class HMX_IHCFEffectDescriptor : public IHCFUnknown {
public:
  virtual HMX_Result AttachComponent(IHCFUnknown* /*component*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result AppendEffectName(const char*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result AppendCategory(uint32_t /*categoryBits*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp7(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result RegisterCreateProc(HMX_CreateProc, int32_t /*procID*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result AttachProperties(IHCFUnknown* /*map*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp10(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp11(int32_t, int32_t, IHCFUnknown* /*map*/) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFEffectDescriptor() = default;
};

class HMX_IHCFEffectDescriptor_V2 : public HMX_IHCFEffectDescriptor {
public:
  virtual HMX_Result HostOp12(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFEffectDescriptor_V2() = default;
};

class HMX_IHCFComponentDescriptor : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp5(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareAudioInput(int32_t /*fieldIndex*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareAudioOutput(int32_t) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareBufferLength(int32_t) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp9(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareClock(int32_t) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareSideChainInput(int32_t) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareDataInPort(int32_t /*fieldIndex*/, uint32_t /*size*/, bool /*buffered*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result DeclareAuxOutputStem(int32_t /*index*/, int32_t /*stemFormat*/, const char* /*name*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result DeclarePrivateData(int32_t /*fieldIndex*/, uint32_t /*size*/, uint32_t /*options*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result HostOp15(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result DeclareMIDINode(int32_t /*fieldIndex*/, int32_t /*nodeType*/, const char* /*name*/,
                                     uint32_t /*mask*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result RegisterNativeProc(HMX_ProcessProc, IHCFUnknown* /*map*/, HMX_InstanceInitProc,
                                        HMX_BackgroundProc, uint32_t* /*outProcID*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result RegisterTIProc(const char* /*libraryFile*/, void* /*proc*/, IHCFUnknown* /*map*/, void*,
                                    void*, uint32_t* /*outProcID*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result DeclareMeters(int32_t /*fieldIndex*/, const uint32_t* /*meterIDs*/, int32_t /*count*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFComponentDescriptor() = default;
};

class HMX_IHCFComponentDescriptor_V2 : public HMX_IHCFComponentDescriptor {
public:
  virtual HMX_Result HostOp20(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFComponentDescriptor_V2() = default;
};

class HMX_IHCFComponentDescriptor_V3 : public HMX_IHCFComponentDescriptor_V2 {
public:
  // Registers every process procedure that the map describes; outList receives their IDs and a 0.
  virtual HMX_Result RegisterProcessProcs(IHCFUnknown* /*map*/, uint32_t* /*outList*/, int32_t /*capacity*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFComponentDescriptor_V3() = default;
};

class HMX_IHCFPropertyMap : public IHCFUnknown {
public:
  virtual bool GetProperty(int32_t /*id*/, int32_t* /*out*/) { return false; }
  virtual HMX_Result AddProperty(int32_t /*id*/, int32_t /*value*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result RemoveProperty(int32_t /*id*/) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFPropertyMap() = default;
};

class HMX_IHCFPropertyMap_V2 : public HMX_IHCFPropertyMap {
public:
  virtual HMX_Result HostOp7(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual bool HostOp8(void*) { return false; }

protected:
  ~HMX_IHCFPropertyMap_V2() = default;
};

class HMX_IHCFPropertyMap_V3 : public HMX_IHCFPropertyMap_V2 {
public:
  virtual bool GetPointerProperty(int32_t /*id*/, void** /*out*/) { return false; }
  virtual HMX_Result AddPointerProperty(int32_t /*id*/, void* /*pointer*/) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFPropertyMap_V3() = default;
};

class HMX_IHCFDescriptionHost : public IHCFUnknown {
public:
  virtual HMX_Result AcquireFeatureInfo(const HMX_GUID& /*featureID*/, IHCFUnknown** /*out*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFDescriptionHost() = default;
};

class HMX_IHCFHostDefinition : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result ValueInfo(const HMX_GUID& /*key*/, int32_t* /*type*/, uint32_t* /*size*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result ReadValue(const HMX_GUID& /*key*/, void* /*out*/, uint32_t /*size*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFHostDefinition() = default;
};

class HMX_IHCFFeatureInfo : public IHCFUnknown {
public:
  virtual HMX_Result SupportLevel(int32_t* /*out*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result AcquireProperties(IHCFUnknown** /*outMap*/) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFFeatureInfo() = default;
};

// Wrapper of a host component descriptor.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VComponentDescriptor.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

namespace {
constexpr int32_t kFirstCopiedProperty = 10;
constexpr int32_t kLastCopiedProperty = 401;

IHCFUnknown* HostInterfaceOf(const HMX_VPropertyMap* map) {
  return map ? map->HostInterface() : nullptr;
}

// Reads a procedure pointer; a missing one is traced when asked to.
void* PointerProperty(HMX_VPropertyMap& map, int32_t id, const char* missingTrace) {
  void* pointer = nullptr;
  if (!map.GetPointerProperty(id, &pointer) && missingTrace)
    HMX::HostTrace(HMX::kTracePriorityException, "%s", missingTrace);
  return pointer;
}
} // namespace

HMX_VComponentDescriptor::HMX_VComponentDescriptor(IHCFUnknown* hostObject)
    : mHostObject(HMX_AddRefed(hostObject)),
      mV1(HMX_CreateThroughFactory<HMX_IHCFComponentDescriptor>(hostObject, HMX_CLSID_ComponentDescriptor,
                                                                HMX_IID_ComponentDescriptor_V1,
                                                                HMX_EmptyAnswer::kThrow)),
      mV2(HMX_AskInterface<HMX_IHCFComponentDescriptor_V2>(mV1.Get(), HMX_IID_ComponentDescriptor_V2)),
      mV3(HMX_AskInterface<HMX_IHCFComponentDescriptor_V3>(mV1.Get(), HMX_IID_ComponentDescriptor_V3)) {}

HMX_VComponentDescriptor::~HMX_VComponentDescriptor() {
  mPropertyMaps.clear();
}

HMX_VPropertyMap* HMX_VComponentDescriptor::CreatePropertyMap() {
  mPropertyMaps.push_back(std::make_unique<HMX_VPropertyMap>(mHostObject.Get()));
  return mPropertyMaps.back().get();
}

HMX_VPropertyMap* HMX_VComponentDescriptor::CopyPropertyMap(HMX_VPropertyMap* source) {
  HMX_VPropertyMap* copy = CreatePropertyMap();
  if (!source)
    return copy;
  for (int32_t id = kFirstCopiedProperty; id <= kLastCopiedProperty; ++id) {
    int32_t value = 0;
    void* pointer = nullptr;
    if (source->GetProperty(id, &value))
      copy->AddProperty(id, value);
    else if (source->GetPointerProperty(id, &pointer))
      copy->AddPointerProperty(id, pointer);
  }
  return copy;
}

HMX_Result HMX_VComponentDescriptor::RegisterNativeProc(HMX_ProcessProc proc, HMX_VPropertyMap* map,
                                                        HMX_InstanceInitProc init,
                                                        HMX_BackgroundProc background, uint32_t* outProcID) {
  if (!mV1)
    return HMX_ERROR_NULL_OBJECT;
  return mV1->RegisterNativeProc(proc, HostInterfaceOf(map), init, background, outProcID);
}

HMX_Result HMX_VComponentDescriptor::RegisterTIProc(const char* libraryFile, void* proc,
                                                    HMX_VPropertyMap* map, void* init, void* background,
                                                    uint32_t* outProcID) {
  if (!mV1)
    return HMX_ERROR_NULL_OBJECT;
  return mV1->RegisterTIProc(libraryFile, proc, HostInterfaceOf(map), init, background, outProcID);
}

HMX_Result HMX_VComponentDescriptor::RegisterProcessProcs(HMX_VPropertyMap* map, uint32_t* outList,
                                                          int32_t capacity) {
  if (mV3)
    return mV3->RegisterProcessProcs(HostInterfaceOf(map), outList, capacity);
  if (!mV1 || !map)
    return HMX_ERROR_NULL_OBJECT;
  return RegisterOneByOne(map, outList, capacity);
}

HMX_Result HMX_VComponentDescriptor::RegisterOneByOne(HMX_VPropertyMap* map, uint32_t* outList,
                                                      int32_t capacity) {
  int32_t ignored = 0;
  const bool native = map->GetProperty(HMX_eProperty_PlugInTypeNative, &ignored) ||
                      map->GetProperty(HMX_eProperty_PlugInTypeOffline, &ignored);
  const bool ti = map->GetProperty(HMX_eProperty_PlugInTypeTI, &ignored);
  std::vector<uint32_t> ids;

  if (native) {
    void* proc = PointerProperty(*map, HMX_eProperty_NativeProcessProc,
                                 "HMX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for "
                                 "HMX_eProperty_NativeProcessProc");
    void* init = PointerProperty(*map, HMX_eProperty_NativeInstanceInitProc, nullptr);
    void* background = PointerProperty(*map, HMX_eProperty_NativeBackgroundProc, nullptr);
    // The native procedure's map goes without the buffer length, which such hosts do not take.
    HMX_VPropertyMap* nativeMap = map;
    if (map->GetProperty(HMX_eProperty_NativeAudioBufferLength, &ignored)) {
      HMX_VPropertyMap* copy = CopyPropertyMap(map);
      if (copy && copy->HostInterface()) {
        if (!copy->GetProperty(HMX_eProperty_NativeAudioBufferLength, &ignored)) {
          HMX::HostAssert("HMX_VComponentDescriptor", __LINE__, "0 != gotPropertySuccess");
        } else {
          if (copy->RemoveProperty(HMX_eProperty_NativeAudioBufferLength) != HMX_SUCCESS)
            HMX::HostAssert("HMX_VComponentDescriptor", __LINE__,
                            "HMX_SUCCESS == removeNativeAudioBufferLengthResult");
          nativeMap = copy;
        }
      }
    }
    uint32_t id = 0;
    const HMX_Result result = RegisterNativeProc(reinterpret_cast<HMX_ProcessProc>(proc), nativeMap,
                                                 reinterpret_cast<HMX_InstanceInitProc>(init),
                                                 reinterpret_cast<HMX_BackgroundProc>(background), &id);
    if (result != HMX_SUCCESS)
      return result;
    ids.push_back(id);
  }

  if (ti) {
    void* file = PointerProperty(*map, HMX_eProperty_TIDLLFileName,
                                 "HMX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for "
                                 "HMX_eProperty_TIDLLFileName");
    void* proc = PointerProperty(*map, HMX_eProperty_TIProcessProc,
                                 "HMX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for "
                                 "HMX_eProperty_TIProcessProc");
    void* init = PointerProperty(*map, HMX_eProperty_TIInstanceInitProc, nullptr);
    void* background = PointerProperty(*map, HMX_eProperty_TIBackgroundProc, nullptr);
    uint32_t id = 0;
    const HMX_Result result =
        RegisterTIProc(static_cast<const char*>(file), proc, map, init, background, &id);
    if (result != HMX_SUCCESS)
      return result;
    ids.push_back(id);
  }

  if (outList) {
    if (int64_t(ids.size()) >= int64_t(capacity))
      return HMX_ERROR_ARGUMENT_BUFFER_OVERFLOW;
    for (size_t i = 0; i < ids.size(); ++i)
      outList[i] = ids[i];
    outList[ids.size()] = 0;
  }
  return HMX_SUCCESS;
}

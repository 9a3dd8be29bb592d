// Description wrappers record what the module describes on a fake host, check what older hosts
// cannot take, keep pointer properties locally, register procedures one by one, and free what they made.
#include "FakeHostObject.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VCollection.h"
#include "RecordingHostServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>

namespace {

struct HostOptions {
  bool descriptionHost = false; // the host answers the description-host interface
  bool definition = true;
  uint32_t definitionSize = 4;
  bool mapVersion3 = false;
  bool componentVersion3 = false;
  bool emptyAnswer = false; // the factory answers success without an object
};

class FakePropertyMap : public FakeHostObject<HMX_IHCFPropertyMap_V3> {
public:
  FakePropertyMap(FakeHostLog& hostLog, bool version3) {
    log = &hostLog;
    deleteAtZero = true;
    Offer(HMX_IID_PropertyMap_V1, static_cast<HMX_IHCFPropertyMap*>(this));
    if (version3)
      Offer(HMX_IID_PropertyMap_V3, static_cast<HMX_IHCFPropertyMap_V3*>(this));
  }
  bool GetProperty(int32_t id, int32_t* out) override {
    auto found = values.find(id);
    if (found == values.end())
      return false;
    *out = found->second;
    return true;
  }
  HMX_Result AddProperty(int32_t id, int32_t value) override {
    values[id] = value;
    return 0;
  }
  HMX_Result RemoveProperty(int32_t id) override { return values.erase(id) ? 0 : -1; }
  bool GetPointerProperty(int32_t id, void** out) override {
    auto found = pointers.find(id);
    if (found == pointers.end())
      return false;
    *out = found->second;
    return true;
  }
  HMX_Result AddPointerProperty(int32_t id, void* pointer) override {
    pointers[id] = pointer;
    return 0;
  }
  std::map<int32_t, int32_t> values;
  std::map<int32_t, void*> pointers;
};

// The fake map behind a host interface that the module hands back.
FakePropertyMap* MapOf(IHCFUnknown* hostInterface) {
  return static_cast<FakePropertyMap*>(static_cast<HMX_IHCFPropertyMap*>(hostInterface));
}

class FakeComponent : public FakeHostObject<HMX_IHCFComponentDescriptor_V3> {
public:
  FakeComponent(FakeHostLog& hostLog, bool version3) {
    log = &hostLog;
    deleteAtZero = true;
    Offer(HMX_IID_ComponentDescriptor_V1, static_cast<HMX_IHCFComponentDescriptor*>(this));
    if (version3)
      Offer(HMX_IID_ComponentDescriptor_V3, static_cast<HMX_IHCFComponentDescriptor_V3*>(this));
  }
  HMX_Result DeclareMIDINode(int32_t field, int32_t type, const char* name, uint32_t mask) override {
    log->Add("midi " + std::to_string(field) + " " + std::to_string(type) + " " + name + " " +
             std::to_string(mask));
    return 0;
  }
  HMX_Result DeclarePrivateData(int32_t field, uint32_t size, uint32_t options) override {
    log->Add("private " + std::to_string(field) + " " + std::to_string(size) + " " + std::to_string(options));
    return 0;
  }
  HMX_Result RegisterNativeProc(HMX_ProcessProc proc, IHCFUnknown* map, HMX_InstanceInitProc,
                                HMX_BackgroundProc, uint32_t* outID) override {
    int32_t ignored;
    log->Add(std::string("native ") + (proc ? "proc" : "null") + " map" +
             (MapOf(map)->GetProperty(54, &ignored) ? " with 54" : "") +
             (MapOf(map)->GetProperty(13, &ignored) ? " with 13" : ""));
    *outID = 17;
    return nativeResult;
  }
  HMX_Result RegisterTIProc(const char* file, void*, IHCFUnknown*, void*, void*, uint32_t* outID) override {
    log->Add(std::string("ti ") + (file ? file : "null"));
    *outID = 18;
    return 0;
  }
  HMX_Result RegisterProcessProcs(IHCFUnknown*, uint32_t*, int32_t capacity) override {
    log->Add("all at once " + std::to_string(capacity));
    return 0;
  }
  HMX_Result nativeResult = 0;
};

class FakeEffectDescriptor : public FakeHostObject<HMX_IHCFEffectDescriptor_V2> {
public:
  explicit FakeEffectDescriptor(FakeHostLog& hostLog) {
    log = &hostLog;
    deleteAtZero = true;
    Offer(HMX_IID_EffectDescriptor_V1, static_cast<HMX_IHCFEffectDescriptor*>(this));
  }
  HMX_Result AttachComponent(IHCFUnknown* component) override {
    log->Add(std::string("attach ") + (component ? "component" : "null"));
    return 0;
  }
  HMX_Result AppendEffectName(const char* name) override {
    log->Add(std::string("effect name ") + name);
    return 0;
  }
  HMX_Result AppendCategory(uint32_t bits) override {
    log->Add("category " + std::to_string(bits));
    return 0;
  }
  HMX_Result RegisterCreateProc(HMX_CreateProc, int32_t id) override {
    log->Add("create proc " + std::to_string(id));
    return 0;
  }
};

class FakeCollection : public FakeHostObject<HMX_IHCFCollection> {
public:
  explicit FakeCollection(FakeHostLog& hostLog) {
    log = &hostLog;
    deleteAtZero = true;
    Offer(HMX_IID_Collection, static_cast<HMX_IHCFCollection*>(this));
  }
  HMX_Result RegisterEffect(const char* id, IHCFUnknown* descriptor) override {
    log->Add(std::string("register ") + id + (descriptor ? " with descriptor" : ""));
    return 0;
  }
  HMX_Result SetMakerName(const char* name) override {
    log->Add(std::string("maker ") + name);
    return 0;
  }
  HMX_Result AppendPackageName(const char* name) override {
    log->Add(std::string("package ") + name);
    return 0;
  }
  HMX_Result SetPackageVersion(uint32_t version) override {
    log->Add("version " + std::to_string(version));
    return 0;
  }
};

class FakeFeatureInfo : public FakeHostObject<HMX_IHCFFeatureInfo> {
public:
  explicit FakeFeatureInfo(FakeHostLog& hostLog) {
    log = &hostLog;
    deleteAtZero = true;
    Offer(HMX_IID_FeatureInfo, static_cast<HMX_IHCFFeatureInfo*>(this));
  }
  HMX_Result SupportLevel(int32_t* out) override {
    *out = 2;
    return 0;
  }
  HMX_Result AcquireProperties(IHCFUnknown** out) override {
    auto* map = new FakePropertyMap(*log, false);
    map->values[300] = 1;
    map->refs = 1;
    *out = map->Unknown();
    return 0;
  }
};

// The object the host hands to the registration: class factory, definition, maybe description host.
class FakeDescriptionHost
    : public FakeHostObject<IHCFClassFactory, HMX_IHCFHostDefinition, HMX_IHCFDescriptionHost> {
public:
  explicit FakeDescriptionHost(HostOptions o) : options(o) {
    Offer(HMX_IID_ClassFactory, static_cast<IHCFClassFactory*>(this));
    if (options.definition)
      Offer(HMX_IID_HostDefinition, static_cast<HMX_IHCFHostDefinition*>(this));
    if (options.descriptionHost)
      Offer(HMX_IID_DescriptionHost, static_cast<HMX_IHCFDescriptionHost*>(this));
  }
  HMX_Result CreateInstance(const HMX_GUID& classID, IHCFUnknown*, const HMX_GUID& iid, void** out) override {
    *out = nullptr;
    if (options.emptyAnswer)
      return 0;
    FakeRefCounted* made = nullptr;
    IHCFUnknown* unknown = nullptr;
    if (classID == HMX_CLSID_Collection) {
      auto* c = new FakeCollection(log);
      made = c, unknown = c->Unknown();
    } else if (classID == HMX_CLSID_EffectDescriptor) {
      auto* e = new FakeEffectDescriptor(log);
      made = e, unknown = e->Unknown();
    } else if (classID == HMX_CLSID_ComponentDescriptor) {
      auto* c = new FakeComponent(log, options.componentVersion3);
      made = c, unknown = c->Unknown();
      lastComponent = c;
    } else if (classID == HMX_CLSID_PropertyMap) {
      auto* m = new FakePropertyMap(log, options.mapVersion3);
      made = m, unknown = m->Unknown();
    } else {
      return HMX_HCF_E_NOINTERFACE;
    }
    ++created;
    made->refs = 1; // the creation's reference, handed over with the interface
    const HMX_Result result = unknown->QueryInterface(iid, out);
    unknown->Release();
    return result;
  }
  HMX_Result AcquireFeatureInfo(const HMX_GUID&, IHCFUnknown** out) override {
    auto* info = new FakeFeatureInfo(log);
    info->refs = 1;
    *out = info->Unknown();
    return 0;
  }
  HMX_Result ValueInfo(const HMX_GUID& key, int32_t* type, uint32_t* size) override {
    *type = 1;
    *size = options.definitionSize;
    return key == HMX_KEY_HostDefinitionValue ? 0 : -1;
  }
  HMX_Result ReadValue(const HMX_GUID&, void* out, uint32_t size) override {
    const uint32_t value = 0xABCD;
    std::memcpy(out, &value, size);
    return 0;
  }
  HostOptions options;
  FakeHostLog log;
  int created = 0;
  FakeComponent* lastComponent = nullptr;
};

void ProcessNothing(void*, void*) {}
IHCFUnknown* CreateNothing() {
  return nullptr;
}

TEST(HMX_VCollection, RecordsTheDescriptionAndFreesEverythingItCreated) {
  FakeDescriptionHost host({});
  {
    HMX_VCollection collection(host.Unknown());
    HMX_VEffectDescriptor* effect = collection.CreateEffectDescriptor();
    EXPECT_EQ(effect->AppendEffectName("Velmora"), 0);
    EXPECT_EQ(collection.AppendPackageName("Velmora"), 0);
    EXPECT_EQ(effect->AppendCategoryWithBypass(0x800, "MasterBypassID"), 0);
    HMX_VComponentDescriptor* component = effect->CreateComponentDescriptor();
    EXPECT_EQ(component->DeclareMIDINode(4, 0, "Velmora Midi", 1), 0);
    EXPECT_EQ(component->DeclarePrivateData(23, 8, 0), 0);
    HMX_VPropertyMap* map = component->CreatePropertyMap();
    EXPECT_EQ(map->AddProperty(13, int32_t(HMX_FourCC("VLMI"))), 0);
    uint32_t procID = 0;
    EXPECT_EQ(component->RegisterNativeProc(ProcessNothing, map, nullptr, nullptr, &procID), 0);
    EXPECT_EQ(procID, 17u);
    EXPECT_EQ(effect->AttachComponent(component), 0);
    EXPECT_EQ(effect->RegisterCreateProc(CreateNothing, 1), 0);
    EXPECT_EQ(collection.RegisterEffect("com.ostrand.hmx.Velmora", nullptr), HMX_ERROR_NULL_OBJECT);
    EXPECT_EQ(collection.RegisterEffect("com.ostrand.hmx.Velmora", effect), 0);
    EXPECT_EQ(collection.SetMakerName("Ostrand"), 0);
    EXPECT_EQ(collection.SetPackageVersion(65549), 0);
    EXPECT_EQ(collection.DescriptionHost(), nullptr); // the host does not answer it
  }
  EXPECT_EQ(host.log.calls,
            (std::vector<std::string>{
                "effect name Velmora", "package Velmora", "category 2048", "midi 4 0 Velmora Midi 1",
                "private 23 8 0", "native proc map with 13", "attach component", "create proc 1",
                "register com.ostrand.hmx.Velmora with descriptor", "maker Ostrand", "version 65549"}));
  EXPECT_EQ(host.created, 4);
  EXPECT_EQ(host.log.destroyed, 4);
  EXPECT_EQ(host.refs, 0);
}

TEST(HMX_VCollection, HostDefinitionValueChecksItsArgumentsAndTheSize) {
  FakeDescriptionHost host({});
  HMX_VCollection collection(host.Unknown());
  uint32_t value = 0;
  EXPECT_EQ(collection.HostDefinitionValue(nullptr), HMX_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(collection.HostDefinitionValue(&value), 0);
  EXPECT_EQ(value, 0xABCDu);
  host.options.definitionSize = 8;
  EXPECT_EQ(collection.HostDefinitionValue(&value), HMX_ERROR_INVALID_ARGUMENT);
  HostOptions noDefinition;
  noDefinition.definition = false;
  FakeDescriptionHost bare(noDefinition);
  HMX_VCollection bareCollection(bare.Unknown());
  EXPECT_EQ(bareCollection.HostDefinitionValue(&value), HMX_ERROR_NULL_OBJECT);
}

TEST(HMX_VCollection, AHostThatAnswersSuccessWithoutAnObjectBreaksTheContract) {
  HostOptions empty;
  empty.emptyAnswer = true;
  FakeDescriptionHost host(empty);
  EXPECT_THROW(HMX_VCollection collection(host.Unknown()), HMX::Exception::Any);
}

TEST(HMX_VDescriptionHost, FeatureInfoAndItsPropertiesBelongToTheCaller) {
  HostOptions options;
  options.descriptionHost = true;
  FakeDescriptionHost host(options);
  const HMX_GUID feature = HMX_MakeGUID("01234567-89AB-CDEF-0123-456789ABCDEF");
  {
    HMX_VCollection collection(host.Unknown());
    ASSERT_NE(collection.DescriptionHost(), nullptr);
    std::unique_ptr<HMX_VFeatureInfo> info(collection.DescriptionHost()->AcquireFeatureInfo(feature));
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->FeatureID() == feature);
    int32_t level = 0;
    EXPECT_EQ(info->SupportLevel(&level), 0);
    EXPECT_EQ(level, 2);
    std::unique_ptr<HMX_VPropertyMap> properties(info->AcquireProperties());
    ASSERT_NE(properties, nullptr);
    int32_t value = 0;
    EXPECT_TRUE(properties->GetProperty(300, &value));
    EXPECT_EQ(value, 1);
  }
  EXPECT_EQ(host.log.destroyed, 3); // the collection, the feature info and its map
  EXPECT_EQ(host.refs, 0);
}

TEST(HMX_VPropertyMap, StemFormatsThatOlderHostsCannotTakeAreRefused) {
  struct Case {
    bool descriptionHost;
    int32_t id;
    uint32_t value;
    HMX_Result result;
  };
  const Case cases[] = {
      {false, 51, 65538, 0},                                     // stereo
      {false, 51, 13u << 16 | 10, HMX_ERROR_PROPERTY_UNDEFINED}, // stem number 13
      {true, 51, 13u << 16 | 10, 0},                             // a newer host takes it
      {false, 52, 0xFFFF0000u, 0},                               // "no stem format" forms pass
      {false, 52, 0xFF9C0000u, 0},
      {false, 52, 0xFFFE0001u, HMX_ERROR_PROPERTY_UNDEFINED}, // negative stem number
      {false, 60, 13u << 16, 0},                              // other properties are not checked
  };
  for (const Case& c : cases) {
    HostOptions options;
    options.descriptionHost = c.descriptionHost;
    FakeDescriptionHost host(options);
    HMX_VPropertyMap map(host.Unknown());
    EXPECT_EQ(map.HasDescriptionHost(), c.descriptionHost);
    EXPECT_EQ(map.AddProperty(c.id, int32_t(c.value)), c.result) << c.id << " " << c.value;
    int32_t stored = 0;
    EXPECT_EQ(map.GetProperty(c.id, &stored), c.result == 0) << c.id << " " << c.value;
  }
  FakeDescriptionHost host({});
  HMX_VPropertyMap map(host.Unknown());
  EXPECT_EQ(map.AddProperty(10001, 65538), 0);
  int32_t in = 0, out = 0;
  EXPECT_TRUE(map.GetProperty(51, &in));
  EXPECT_TRUE(map.GetProperty(52, &out));
  EXPECT_EQ(in, 65538);
  EXPECT_EQ(out, 65538);
  EXPECT_EQ(map.AddProperty(10001, 20 << 16), HMX_ERROR_PROPERTY_UNDEFINED);
}

TEST(HMX_VPropertyMap, PointerPropertiesStayLocalWithoutVersion3) {
  int target = 0;
  FakeDescriptionHost oldHost({});
  HMX_VPropertyMap oldMap(oldHost.Unknown());
  EXPECT_EQ(oldMap.AddPointerProperty(43, &target), HMX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(oldMap.AddPointerPropertySized(36, &target), 0);
  void* pointer = nullptr;
  EXPECT_TRUE(oldMap.GetPointerProperty(36, &pointer));
  EXPECT_EQ(pointer, &target);
  EXPECT_FALSE(oldMap.GetPointerProperty(37, &pointer));
  EXPECT_FALSE(oldMap.GetPointerProperty(36, nullptr));

  HostOptions newer;
  newer.mapVersion3 = true;
  FakeDescriptionHost newHost(newer);
  HMX_VPropertyMap newMap(newHost.Unknown());
  EXPECT_EQ(newMap.AddPointerProperty(43, &target), 0); // the host keeps it
  EXPECT_EQ(MapOf(newMap.HostInterface())->pointers.at(43), &target);
}

TEST(HMX_VComponentDescriptor, RegistersProceduresOneByOneForOlderHosts) {
  RecordingHostServices services;
  FakeDescriptionHost host({});
  HMX_VCollection collection(host.Unknown());
  HMX_VComponentDescriptor* component = collection.CreateEffectDescriptor()->CreateComponentDescriptor();
  HMX_VPropertyMap* map = component->CreatePropertyMap();
  map->AddProperty(13, 1);
  map->AddPointerProperty(36, reinterpret_cast<void*>(&ProcessNothing));
  uint32_t list[2] = {9, 9};
  EXPECT_EQ(component->RegisterProcessProcs(map, list, 2), 0);
  EXPECT_EQ(list[0], 17u);
  EXPECT_EQ(list[1], 0u);
  EXPECT_EQ(component->RegisterProcessProcs(map, list, 1), HMX_ERROR_ARGUMENT_BUFFER_OVERFLOW);
  EXPECT_EQ(component->RegisterProcessProcs(nullptr, list, 2), HMX_ERROR_NULL_OBJECT);
  EXPECT_TRUE(services.traces.empty());

  // With the buffer length the native procedure gets a copy without it; the map itself keeps it.
  host.log.calls.clear();
  map->AddProperty(54, 512);
  map->AddProperty(15, 1);
  map->AddPointerProperty(39, const_cast<char*>("dsp.bin"));
  uint32_t both[3] = {};
  EXPECT_EQ(component->RegisterProcessProcs(map, both, 3), 0);
  EXPECT_EQ(host.log.calls, (std::vector<std::string>{"native proc map with 13", "ti dsp.bin"}));
  EXPECT_EQ(both[0], 17u);
  EXPECT_EQ(both[1], 18u);
  EXPECT_EQ(both[2], 0u);
  int32_t kept = 0;
  EXPECT_TRUE(map->GetProperty(54, &kept));
  // The missing TI procedure was traced; the registration went on.
  ASSERT_EQ(services.traces.size(), 1u);
  EXPECT_EQ(
      services.traces[0].second,
      "HMX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for HMX_eProperty_TIProcessProc");

  // A failing host answer is passed on at once.
  host.lastComponent->nativeResult = -5;
  EXPECT_EQ(component->RegisterProcessProcs(map, both, 3), -5);
}

TEST(HMX_VComponentDescriptor, NewerHostsTakeAllProceduresAtOnce) {
  HostOptions newer;
  newer.componentVersion3 = true;
  FakeDescriptionHost host(newer);
  HMX_VComponentDescriptor component(host.Unknown());
  HMX_VPropertyMap* map = component.CreatePropertyMap();
  uint32_t list[4];
  EXPECT_EQ(component.RegisterProcessProcs(map, list, 4), 0);
  EXPECT_EQ(host.log.calls, (std::vector<std::string>{"all at once 4"}));
}

} // namespace

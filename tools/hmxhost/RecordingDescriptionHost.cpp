// Description objects of the host program: collection, effect and component descriptors, property map.
#include "tools/hmxhost/RecordingDescriptionHost.h"

namespace hmxhost {

namespace {

std::string Str(int64_t value) { return std::to_string(value); }

class PropertyMap : public HostObject<HMX_IHCFPropertyMap> {
public:
  PropertyMap() {
    mDeleteAtZero = true;
    Offer(HMX_IID_PropertyMap_V1, static_cast<HMX_IHCFPropertyMap*>(this));
  }
  bool GetProperty(int32_t id, int32_t* out) override {
    for (const auto& [key, value] : values)
      if (key == id)
        return *out = value, true;
    return false;
  }
  HMX_Result AddProperty(int32_t id, int32_t value) override {
    values.emplace_back(id, value);
    return HMX_SUCCESS;
  }
  std::string Text() const {
    std::string text;
    for (const auto& [id, value] : values)
      text += (text.empty() ? "" : " ") + Str(id) + "=" + Str(value);
    return text;
  }
  std::vector<std::pair<int32_t, int32_t>> values;
};

class Component : public HostObject<HMX_IHCFComponentDescriptor> {
public:
  explicit Component(DescriptionRecord& r) : record(r) {
    mDeleteAtZero = true;
    Offer(HMX_IID_ComponentDescriptor_V1, static_cast<HMX_IHCFComponentDescriptor*>(this));
  }
  HMX_Result DeclareAudioInput(int32_t f) override { return record.Add("audio in " + Str(f)); }
  HMX_Result DeclareAudioOutput(int32_t f) override { return record.Add("audio out " + Str(f)); }
  HMX_Result DeclareBufferLength(int32_t f) override { return record.Add("buffer length " + Str(f)); }
  HMX_Result DeclareClock(int32_t f) override { return record.Add("clock " + Str(f)); }
  HMX_Result DeclareSideChainInput(int32_t f) override { return record.Add("side chain " + Str(f)); }
  HMX_Result DeclareDataInPort(int32_t f, uint32_t size, bool buffered) override {
    return record.Add("data in " + Str(f) + " " + Str(size) + (buffered ? " buffered" : ""));
  }
  HMX_Result DeclareAuxOutputStem(int32_t index, int32_t format, const char* name) override {
    return record.Add("aux stem " + Str(index) + " " + Str(format) + " " + name);
  }
  HMX_Result DeclarePrivateData(int32_t f, uint32_t size, uint32_t options) override {
    return record.Add("private " + Str(f) + " " + Str(size) + " " + Str(options));
  }
  HMX_Result DeclareMIDINode(int32_t f, int32_t type, const char* name, uint32_t mask) override {
    return record.Add("midi " + Str(f) + " " + Str(type) + " " + name + " " + Str(mask));
  }
  HMX_Result DeclareMeters(int32_t f, const uint32_t*, int32_t count) override {
    return record.Add("meters " + Str(f) + " " + Str(count));
  }
  HMX_Result RegisterNativeProc(HMX_ProcessProc proc, IHCFUnknown* map, HMX_InstanceInitProc, HMX_BackgroundProc,
                                uint32_t* outID) override {
    record.processProc = proc;
    if (outID)
      *outID = 1;
    auto* properties = static_cast<PropertyMap*>(static_cast<HMX_IHCFPropertyMap*>(map));
    return record.Add("native proc {" + (properties ? properties->Text() : std::string()) + "}");
  }
  DescriptionRecord& record;
};

class EffectDescriptor : public HostObject<HMX_IHCFEffectDescriptor> {
public:
  explicit EffectDescriptor(DescriptionRecord& r) : record(r) {
    mDeleteAtZero = true;
    Offer(HMX_IID_EffectDescriptor_V1, static_cast<HMX_IHCFEffectDescriptor*>(this));
  }
  HMX_Result AttachComponent(IHCFUnknown*) override { return record.Add("attach component"); }
  HMX_Result AppendEffectName(const char* name) override { return record.Add(std::string("effect name ") + name); }
  HMX_Result AppendCategory(uint32_t bits) override { return record.Add("category " + Str(bits)); }
  HMX_Result RegisterCreateProc(HMX_CreateProc proc, int32_t id) override {
    record.createProcs[id] = proc;
    return record.Add("create proc " + Str(id));
  }
  HMX_Result AttachProperties(IHCFUnknown*) override { return record.Add("effect properties"); }
  DescriptionRecord& record;
};

class Collection : public HostObject<HMX_IHCFCollection> {
public:
  explicit Collection(DescriptionRecord& r) : record(r) {
    mDeleteAtZero = true;
    Offer(HMX_IID_Collection, static_cast<HMX_IHCFCollection*>(this));
    Offer(HMX_IID_Collection_Result, static_cast<HMX_IHCFCollection*>(this));
  }
  HMX_Result RegisterEffect(const char* id, IHCFUnknown*) override {
    return record.Add(std::string("register ") + id);
  }
  HMX_Result SetMakerName(const char* name) override { return record.Add(std::string("maker ") + name); }
  HMX_Result AppendPackageName(const char* name) override {
    return record.Add(std::string("package ") + name);
  }
  HMX_Result SetPackageVersion(uint32_t v) override { return record.Add("version " + Str(v)); }
  HMX_Result AttachProperties(IHCFUnknown*) override { return record.Add("collection properties"); }
  DescriptionRecord& record;
};

} // namespace

RecordingDescriptionHost::RecordingDescriptionHost() {
  Offer(HMX_IID_ClassFactory, static_cast<IHCFClassFactory*>(this));
  Offer(HMX_IID_HostServices_V1, static_cast<HMX_IHCFHostServices*>(this));
  Offer(HMX_IID_HostServices_V2, static_cast<HMX_IHCFHostServices_V2*>(this));
  Offer(HMX_IID_HostServices_V3, static_cast<HMX_IHCFHostServices_V3*>(this));
}

HMX_Result RecordingDescriptionHost::CreateInstance(const HMX_GUID& classID, IHCFUnknown*, const HMX_GUID& iid,
                                                    void** out) {
  *out = nullptr;
  IHCFUnknown* made = nullptr;
  if (classID == HMX_CLSID_Collection)
    made = (new Collection(record))->Unknown();
  else if (classID == HMX_CLSID_EffectDescriptor)
    made = (new EffectDescriptor(record))->Unknown();
  else if (classID == HMX_CLSID_ComponentDescriptor)
    made = (new Component(record))->Unknown();
  else if (classID == HMX_CLSID_PropertyMap)
    made = (new PropertyMap())->Unknown();
  else if (classID == HMX_CLSID_HostServices)
    made = Unknown(); // the module's assertions and traces come here
  if (!made)
    return HMX_HCF_E_NOINTERFACE;
  made->AddRef(); // held while asked, so a refused interface frees the object
  const HMX_Result answer = made->QueryInterface(iid, out);
  made->Release();
  return answer;
}

HMX_Result RecordingDescriptionHost::HandleTrace(int32_t priority, const char* message) {
  const std::lock_guard<std::mutex> lock(record.mutex);
  record.traces.push_back(Str(priority) + " " + (message ? message : ""));
  return HMX_SUCCESS;
}

HMX_Result RecordingDescriptionHost::HandleAssertion(const char* file, int32_t line, const char* condition,
                                                     int32_t) {
  const std::lock_guard<std::mutex> lock(record.mutex);
  record.assertions.push_back(std::string(file ? file : "") + ":" + Str(line) + ": " +
                              (condition ? condition : ""));
  return HMX_SUCCESS;
}

} // namespace hmxhost

// Test support: a fake HMX host that records, as text lines, everything the module describes to it,
// keeps the create procedures it was given, and offers host services for start-up.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/FakeHostObject.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFDescription.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFHostServices.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace hmxtest {

// Calls that the test wants to fail, by the text their log line starts with, and the answer to give.
struct FakeHostPlan {
  std::map<std::string, HMX_Result> failing;
  bool emptyFactoryAnswer = false; // the factory answers success without an object
  HMX_Result Answer(const std::string& line) const {
    for (const auto& [start, result] : failing)
      if (line.rfind(start, 0) == 0)
        return result;
    return HMX_SUCCESS;
  }
};

struct FakeHostState {
  FakeHostLog log;
  FakeHostPlan plan;
  std::map<int32_t, HMX_CreateProc> createProcs;
  HMX_ProcessProc processProc = nullptr;
  std::vector<std::pair<int32_t, std::string>> traces;
  std::vector<std::string> assertions;
  int servicesCreated = 0;
  HMX_Result Record(std::string line) {
    const HMX_Result answer = plan.Answer(line);
    log.Add(std::move(line));
    return answer;
  }
};

class FakePropertyMap : public FakeHostObject<HMX_IHCFPropertyMap> {
public:
  explicit FakePropertyMap(FakeHostState& s) : state(s) {
    log = &s.log;
    deleteAtZero = true;
    Offer(HMX_IID_PropertyMap_V1, static_cast<HMX_IHCFPropertyMap*>(this));
  }
  bool GetProperty(int32_t id, int32_t* out) override {
    for (const auto& [key, value] : values)
      if (key == id) {
        *out = value;
        return true;
      }
    return false;
  }
  HMX_Result AddProperty(int32_t id, int32_t value) override {
    values.emplace_back(id, value);
    return state.plan.Answer("property " + std::to_string(id));
  }
  // "id=value" in the order they were added.
  std::string Text() const {
    std::string text;
    for (const auto& [id, value] : values)
      text += (text.empty() ? "" : " ") + std::to_string(id) + "=" + std::to_string(value);
    return text;
  }
  FakeHostState& state;
  std::vector<std::pair<int32_t, int32_t>> values;
};

class FakeComponent : public FakeHostObject<HMX_IHCFComponentDescriptor> {
public:
  explicit FakeComponent(FakeHostState& s) : state(s) {
    log = &s.log;
    deleteAtZero = true;
    Offer(HMX_IID_ComponentDescriptor_V1, static_cast<HMX_IHCFComponentDescriptor*>(this));
  }
  HMX_Result DeclareAudioInput(int32_t f) override { return state.Record("audio in " + std::to_string(f)); }
  HMX_Result DeclareAudioOutput(int32_t f) override { return state.Record("audio out " + std::to_string(f)); }
  HMX_Result DeclareBufferLength(int32_t f) override {
    return state.Record("buffer length " + std::to_string(f));
  }
  HMX_Result DeclareClock(int32_t f) override { return state.Record("clock " + std::to_string(f)); }
  HMX_Result DeclareSideChainInput(int32_t f) override {
    return state.Record("side chain " + std::to_string(f));
  }
  HMX_Result DeclareDataInPort(int32_t f, uint32_t size, bool buffered) override {
    return state.Record("data in " + std::to_string(f) + " " + std::to_string(size) +
                        (buffered ? " buffered" : " unbuffered"));
  }
  HMX_Result DeclareAuxOutputStem(int32_t index, int32_t format, const char* name) override {
    return state.Record("aux stem " + std::to_string(index) + " " + std::to_string(format) + " " + name);
  }
  HMX_Result DeclarePrivateData(int32_t f, uint32_t size, uint32_t options) override {
    return state.Record("private " + std::to_string(f) + " " + std::to_string(size) + " " +
                        std::to_string(options));
  }
  HMX_Result DeclareMIDINode(int32_t f, int32_t type, const char* name, uint32_t mask) override {
    return state.Record("midi " + std::to_string(f) + " " + std::to_string(type) + " " + name + " " +
                        std::to_string(mask));
  }
  HMX_Result DeclareMeters(int32_t f, const uint32_t*, int32_t count) override {
    return state.Record("meters " + std::to_string(f) + " " + std::to_string(count));
  }
  HMX_Result RegisterNativeProc(HMX_ProcessProc proc, IHCFUnknown* map, HMX_InstanceInitProc init,
                                HMX_BackgroundProc background, uint32_t* outID) override {
    state.processProc = proc;
    *outID = 1;
    auto* fake = static_cast<FakePropertyMap*>(static_cast<HMX_IHCFPropertyMap*>(map));
    return state.Record(std::string("native proc") + (init || background ? " with extras" : "") + " {" +
                        (fake ? fake->Text() : "no map") + "}");
  }
  FakeHostState& state;
};

class FakeEffectDescriptor : public FakeHostObject<HMX_IHCFEffectDescriptor> {
public:
  explicit FakeEffectDescriptor(FakeHostState& s) : state(s) {
    log = &s.log;
    deleteAtZero = true;
    Offer(HMX_IID_EffectDescriptor_V1, static_cast<HMX_IHCFEffectDescriptor*>(this));
  }
  HMX_Result AttachComponent(IHCFUnknown* c) override {
    return state.Record(std::string("attach ") + (c ? "component" : "null"));
  }
  HMX_Result AppendEffectName(const char* name) override {
    return state.Record(std::string("effect name ") + name);
  }
  HMX_Result AppendCategory(uint32_t bits) override {
    return state.Record("category " + std::to_string(bits));
  }
  HMX_Result RegisterCreateProc(HMX_CreateProc proc, int32_t id) override {
    state.createProcs[id] = proc;
    return state.Record("create proc " + std::to_string(id));
  }
  FakeHostState& state;
};

class FakeCollection : public FakeHostObject<HMX_IHCFCollection> {
public:
  explicit FakeCollection(FakeHostState& s) : state(s) {
    log = &s.log;
    deleteAtZero = true;
    Offer(HMX_IID_Collection, static_cast<HMX_IHCFCollection*>(this));
    Offer(HMX_IID_Collection_Result, static_cast<HMX_IHCFCollection*>(this));
  }
  HMX_Result RegisterEffect(const char* id, IHCFUnknown* descriptor) override {
    return state.Record(std::string("register ") + id + (descriptor ? "" : " without descriptor"));
  }
  HMX_Result SetMakerName(const char* name) override { return state.Record(std::string("maker ") + name); }
  HMX_Result AppendPackageName(const char* name) override {
    return state.Record(std::string("package ") + name);
  }
  HMX_Result SetPackageVersion(uint32_t v) override { return state.Record("version " + std::to_string(v)); }
  FakeHostState& state;
};

class FakeHostServices : public FakeHostObject<HMX_IHCFHostServices_V3> {
public:
  explicit FakeHostServices(FakeHostState& s) : state(s) {
    log = &s.log;
    deleteAtZero = true;
    Offer(HMX_IID_HostServices_V1, static_cast<HMX_IHCFHostServices*>(this));
    Offer(HMX_IID_HostServices_V3, static_cast<HMX_IHCFHostServices_V3*>(this));
  }
  HMX_Result HandleTrace(int32_t priority, const char* message) override {
    state.traces.emplace_back(priority, message);
    return 0;
  }
  HMX_Result HandleAssertion(const char* file, int32_t, const char* condition, int32_t) override {
    state.assertions.push_back(std::string(file) + ": " + condition);
    return 0;
  }
  FakeHostState& state;
};

// The object the host hands to the module's exports; its class factory makes the fakes above.
class FakeDescriptionHost : public FakeHostObject<IHCFClassFactory> {
public:
  FakeDescriptionHost() {
    log = &state.log;
    Offer(HMX_IID_ClassFactory, static_cast<IHCFClassFactory*>(this));
  }
  HMX_Result CreateInstance(const HMX_GUID& classID, IHCFUnknown*, const HMX_GUID& iid, void** out) override {
    *out = nullptr;
    if (state.plan.emptyFactoryAnswer)
      return 0;
    FakeRefCounted* made = nullptr;
    IHCFUnknown* unknown = nullptr;
    if (classID == HMX_CLSID_Collection) {
      auto* c = new FakeCollection(state);
      made = c, unknown = c->Unknown();
    } else if (classID == HMX_CLSID_EffectDescriptor) {
      auto* e = new FakeEffectDescriptor(state);
      made = e, unknown = e->Unknown();
    } else if (classID == HMX_CLSID_ComponentDescriptor) {
      auto* c = new FakeComponent(state);
      made = c, unknown = c->Unknown();
    } else if (classID == HMX_CLSID_PropertyMap) {
      auto* m = new FakePropertyMap(state);
      made = m, unknown = m->Unknown();
    } else if (classID == HMX_CLSID_HostServices) {
      ++state.servicesCreated;
      auto* h = new FakeHostServices(state);
      made = h, unknown = h->Unknown();
    } else {
      return HMX_HCF_E_NOINTERFACE;
    }
    made->refs = 1; // the creation's reference, handed over with the interface
    const HMX_Result result = unknown->QueryInterface(iid, out);
    unknown->Release();
    return result;
  }
  FakeHostState state;
};

} // namespace hmxtest

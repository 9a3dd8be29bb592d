// Host-interface wrappers forward to the version that carries each call and answer fixed defaults
// without it; the object base counts references; the GUI base opens, refreshes and closes its view.
#include "FakeHostObject.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFAutomation.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFHostServices.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectGUI.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VAutomationDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VHostServices.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VPageTable.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VTransport.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VViewContainer.h"
#include "RecordingHostServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

// A page table the fake factory makes.
class FakePageTable : public FakeHostObject<HMX_IHCFPageTable_V2> {
public:
  FakePageTable() {
    Offer(HMX_IID_PageTable_V1, static_cast<HMX_IHCFPageTable*>(this));
    Offer(HMX_IID_PageTable_V2, static_cast<HMX_IHCFPageTable_V2*>(this));
  }
  HMX_Result HostOp4(void*) override { return 44; }
};

// The host's controller object: controller versions as chosen, automation, transport, class factory.
class FakeController : public FakeHostObject<HMX_IHCFController_V2, HMX_IHCFController_V7, HMX_IHCFAutomation,
                                             HMX_IHCFTransport, IHCFClassFactory> {
public:
  explicit FakeController(bool withVersion2) {
    Offer(HMX_IID_Controller_V1, static_cast<HMX_IHCFController*>(this));
    if (withVersion2)
      Offer(HMX_IID_Controller_V2, static_cast<HMX_IHCFController_V2*>(this));
    Offer(HMX_IID_Controller_V6, static_cast<HMX_IHCFController_V6*>(this));
    Offer(HMX_IID_Controller_V7, static_cast<HMX_IHCFController_V7*>(this));
    Offer(HMX_IID_Automation_V1, static_cast<HMX_IHCFAutomation*>(this));
    Offer(HMX_IID_Transport_V1, static_cast<HMX_IHCFTransport*>(this));
    Offer(HMX_IID_ClassFactory, static_cast<IHCFClassFactory*>(this));
  }
  HMX_Result SampleRate(float* out) override {
    *out = 48000.0f;
    return 0;
  }
  HMX_Result SendNotification(uint32_t type, const void* data, uint32_t size) override {
    notifications.push_back({type, data ? std::string(static_cast<const char*>(data), size) : std::string()});
    return 0;
  }
  HMX_Result CreatePageTableA(uint32_t a, uint32_t b, IHCFUnknown* table) override {
    pageTableArgs = {a, b};
    filledTable = table;
    return 0;
  }
  HMX_Result CreatePageTableC(uint32_t, uint32_t, IHCFUnknown*) override { return -1; }
  HMX_Result RequestValue(const char* id, double n) override {
    requested = std::string(id) + "=" + std::to_string(n);
    return 0;
  }
  HMX_Result Tempo(double* bpm) override {
    *bpm = 133.0;
    return 0;
  }
  HMX_Result CreateInstance(const HMX_GUID& classID, IHCFUnknown*, const HMX_GUID& iid, void** out) override {
    if (!(classID == HMX_CLSID_PageTable)) {
      *out = nullptr;
      return HMX_HCF_E_NOINTERFACE;
    }
    auto* table = new FakePageTable;
    table->deleteAtZero = true;
    table->log = &log;
    return table->QueryInterface(iid, out);
  }

  std::vector<std::pair<uint32_t, std::string>> notifications;
  std::pair<uint32_t, uint32_t> pageTableArgs{};
  IHCFUnknown* filledTable = nullptr;
  std::string requested;
  FakeHostLog log;
};

TEST(HMX_VController, OnlyVersionOneAnswersItsCallsAndTheRestGiveDefaults) {
  FakeController host(false);
  {
    HMX_VController controller(host.Unknown());
    float rate = 0;
    EXPECT_EQ(controller.SampleRate(&rate), 0);
    EXPECT_EQ(rate, 48000.0f);
    EXPECT_EQ(controller.SendNotification(1), HMX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ(controller.V3Op25(nullptr), HMX_ERROR_UNIMPLEMENTED);
    void* out = &rate;
    EXPECT_EQ(controller.V2Op23(&out), HMX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(controller.V1Op12(nullptr), HMX_ERROR_UNIMPLEMENTED); // the host's own answer
  }
  EXPECT_EQ(host.refs, 0); // every interface released
  HMX_VController none(nullptr);
  float rate = 0;
  EXPECT_EQ(none.SampleRate(&rate), HMX_ERROR_NULL_OBJECT);
  EXPECT_EQ(none.PostFieldPacket(0, nullptr, 0), HMX_ERROR_NULL_OBJECT);
  EXPECT_EQ(none.SendNotification(1, nullptr, 0), HMX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(none.CreatePageTableA(1, 2), nullptr);
}

TEST(HMX_VController, PageTablesAreMadeFilledAndWrapped) {
  FakeController host(true);
  HMX_VController controller(host.Unknown());
  std::unique_ptr<HMX_VPageTable> table(controller.CreatePageTableA(3, 4));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(host.pageTableArgs, (std::pair<uint32_t, uint32_t>{3, 4}));
  EXPECT_EQ(table->V1Op4(nullptr), 44);
  EXPECT_EQ(table->V2Op20(nullptr), HMX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(controller.CreatePageTableC(1, 1), nullptr); // the host fails: the object goes at once
  EXPECT_EQ(host.log.destroyed, 1);
  table.reset();
  EXPECT_EQ(host.log.destroyed, 2);
}

TEST(HMX_VAutomationDelegate, NameChangedSendsTheIDWithItsNul) {
  FakeController host(true);
  HMX_VAutomationDelegate automation(host.Unknown());
  EXPECT_EQ(automation.RequestValue("5", 0.25), 0);
  EXPECT_EQ(host.requested, "5=0.250000");
  EXPECT_EQ(automation.NameChanged("12"), 0);
  ASSERT_EQ(host.notifications.size(), 1u);
  EXPECT_EQ(host.notifications[0].first, 0x4858706Eu);
  EXPECT_EQ(host.notifications[0].second, std::string("12\0", 3));
  const std::string tooLong(32, 'a');
  EXPECT_EQ(automation.NameChanged(tooLong.c_str()), HMX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(automation.NameChanged(""), HMX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(host.notifications.size(), 1u);
  EXPECT_EQ(automation.NameChanged(std::string(31, 'b').c_str()), 0);

  FakeController oldHost(false);
  HMX_VAutomationDelegate oldAutomation(oldHost.Unknown());
  EXPECT_EQ(oldAutomation.NameChanged("1"), HMX_ERROR_UNIMPLEMENTED);
  HMX_VAutomationDelegate none(nullptr);
  EXPECT_EQ(none.RegisterParam("1"), HMX_ERROR_NULL_OBJECT);
}

TEST(HMX_VTransport, ForwardsToVersionOne) {
  FakeController host(true);
  HMX_VTransport transport(host.Unknown());
  double bpm = 0;
  EXPECT_EQ(transport.Tempo(&bpm), 0);
  EXPECT_EQ(bpm, 133.0);
  bool playing = true;
  EXPECT_EQ(transport.IsPlaying(&playing), HMX_ERROR_UNIMPLEMENTED); // the host's answer
  EXPECT_EQ(transport.V6Op4(nullptr), HMX_ERROR_UNIMPLEMENTED);
  HMX_VTransport none(nullptr);
  EXPECT_EQ(none.Tempo(&bpm), HMX_ERROR_NULL_OBJECT);
}

class FakeViewContainer : public FakeHostObject<HMX_IHCFViewContainer_V3> {
public:
  FakeViewContainer() {
    Offer(HMX_IID_ViewContainer_V1, static_cast<HMX_IHCFViewContainer*>(this));
    Offer(HMX_IID_ViewContainer_V3, static_cast<HMX_IHCFViewContainer_V3*>(this));
  }
  void* NativeViewPtr() override { return this; }
  HMX_Result RequestViewSize(const HMX_ViewSize* size) override {
    requested = *size;
    return 0;
  }
  HMX_ViewSize requested{};
};

TEST(HMX_VViewContainer, LetsGoWithoutReleasingAndDefaultsWithoutVersions) {
  FakeViewContainer host;
  {
    HMX_VViewContainer container(&host);
    EXPECT_EQ(container.NativeViewPtr(), &host);
    const HMX_ViewSize size{760, 1180};
    EXPECT_EQ(container.RequestViewSize(&size), 0);
    EXPECT_EQ(host.requested.width, 1180);
    EXPECT_EQ(container.V2Op11(nullptr), HMX_ERROR_UNIMPLEMENTED);
  }
  EXPECT_EQ(host.refs, 2); // the host keeps the container's lifetime
  HMX_VViewContainer none(nullptr);
  EXPECT_EQ(none.NativeViewPtr(), nullptr);
  EXPECT_EQ(none.V1Op4(nullptr), 0);
  EXPECT_EQ(none.RequestViewSize(nullptr), 0);
  EXPECT_EQ(none.V1Op6(nullptr), HMX_ERROR_UNIMPLEMENTED);
}

class FakeServices : public FakeHostObject<HMX_IHCFHostServices_V3> {
public:
  HMX_Result HandleTrace(int32_t priority, const char* message) override {
    log.push_back(std::to_string(priority) + " " + message);
    return 0;
  }
  HMX_Result HandleAssertion(const char* file, int32_t, const char* condition, int32_t flag) override {
    log.push_back(std::string(file) + " " + condition + " " + std::to_string(flag));
    return 0;
  }
  std::vector<std::string> log;
};

class FakeServicesHost : public FakeHostObject<IHCFClassFactory> {
public:
  FakeServicesHost() { Offer(HMX_IID_ClassFactory, static_cast<IHCFClassFactory*>(this)); }
  HMX_Result CreateInstance(const HMX_GUID& classID, IHCFUnknown*, const HMX_GUID& iid, void** out) override {
    *out = nullptr;
    if (!(classID == HMX_CLSID_HostServices))
      return HMX_HCF_E_NOINTERFACE;
    if (iid == HMX_IID_HostServices_V1 || iid == HMX_IID_HostServices_V2 || iid == HMX_IID_HostServices_V3) {
      *out = static_cast<HMX_IHCFHostServices_V3*>(&services);
      ++services.refs;
      return 0;
    }
    return HMX_HCF_E_NOINTERFACE;
  }
  FakeServices services;
};

TEST(HMX_VHostServices, ReportsAssertionsAndTracesThroughTheModulesInstance) {
  FakeServicesHost host;
  {
    HMX_VHostServices services(&host);
    HMX::SetHostServices(&services);
    HMX::HostTrace(0x08000000, "value %d", 7);
    HMX::HostAssert("HMX_CParameter", 1, "0 < numSteps");
    HMX::SetHostServices(nullptr);
    HMX::HostTrace(1, "dropped");
  }
  EXPECT_EQ(host.services.log,
            (std::vector<std::string>{"134217728 value 7", "HMX_CParameter 0 < numSteps 1"}));
  EXPECT_EQ(host.services.refs, 0);
}

TEST(CHCFUnknown, QueriesCountsAndDeletesAtTheLastRelease) {
  struct Probe : CHCFUnknown {
    explicit Probe(bool* deleted) : mDeleted(deleted) {}
    ~Probe() override { *mDeleted = true; }
    bool* mDeleted;
  };
  bool deleted = false;
  const int32_t before = CHCFUnknown::LiveObjectCount();
  auto* probe = new Probe(&deleted);
  EXPECT_EQ(CHCFUnknown::LiveObjectCount(), before + 1);
  void* out = &deleted;
  EXPECT_EQ(probe->InnerQuery(HMX_IID_EffectGUI, &out), HMX_HCF_E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  ASSERT_EQ(probe->Inner()->QueryInterface(HMX_IID_Unknown, &out), 0);
  EXPECT_EQ(out, probe->Inner());
  EXPECT_EQ(probe->Outer(), probe->Inner());
  EXPECT_EQ(probe->Inner()->AddRef(), 2u);
  EXPECT_EQ(probe->Inner()->Release(), 1u);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(probe->Inner()->Release(), 0u);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(CHCFUnknown::LiveObjectCount(), before);
}

// The effect-parameters interface as far as the GUI uses it: a parameter count and IDs.
class FakeEffect : public FakeHostObject<HMX_IHCFEffectParameters> {
public:
  HMX_Result Initialize(IHCFUnknown*) override { return 0; }
  HMX_Result TeardownEffect() override { return 0; }
  HMX_Result OnHostNotification(uint32_t, const void*, uint32_t) override { return 0; }
  HMX_Result ParamCount(int32_t* out) override {
    *out = int32_t(ids.size());
    return countResult;
  }
  HMX_Result MasterBypassParamID(HMX_IString*) override { return 0; }
  HMX_Result ParamIsAutomatable(const char*, bool*) override { return 0; }
  HMX_Result ParamStepCount(const char*, int32_t*) override { return 0; }
  HMX_Result ParamName(const char*, HMX_IString*) override { return 0; }
  HMX_Result ParamNameFitting(const char*, HMX_IString*, int32_t) override { return 0; }
  HMX_Result ParamDefaultNormalized(const char*, double*) override { return 0; }
  HMX_Result SetParamDefaultNormalized(const char*, double) override { return 0; }
  HMX_Result ParamKind(const char*, int32_t*) override { return 0; }
  HMX_Result ParamOrientation(const char*, int32_t*) override { return 0; }
  HMX_Result FindParam(const char*, HMX_IParameter**) override { return 0; }
  HMX_Result ParamIndexOf(const char*, int32_t*) override { return 0; }
  HMX_Result ParamIDAt(int32_t index, HMX_IString* out) override {
    if (index == 1)
      return HMX_ERROR_INVALID_PARAMETER_INDEX; // skipped by the refresh
    out->SetText(ids.at(size_t(index)).c_str());
    return 0;
  }
  HMX_Result ParamValueInfo(const char*, int32_t, int32_t*) override { return 0; }
  HMX_Result ParamNormalizedFromText(const char*, double*, const HMX_IString&) override { return 0; }
  HMX_Result ParamTextFromNormalized(const char*, double, HMX_IString*, int32_t) override { return 0; }
  HMX_Result ParamValueText(const char*, HMX_IString*, int32_t) override { return 0; }
  HMX_Result ParamNormalized(const char*, double*) override { return 0; }
  HMX_Result SetParamNormalized(const char*, double) override { return 0; }
  HMX_Result NudgeParamNormalized(const char*, double) override { return 0; }
  HMX_Result TouchParamByID(const char*) override { return 0; }
  HMX_Result ReleaseParamByID(const char*) override { return 0; }
  HMX_Result UpdateParamTouch(const char*, bool) override { return 0; }
  HMX_Result UpdateParamFromHost(const char*, double, int32_t) override { return 0; }
  HMX_Result UpdateParamRelative(const char*, double) override { return 0; }
  HMX_Result FlushParamUpdates() override { return 0; }
  HMX_Result InitFieldData(int32_t, void*, uint32_t) override { return 0; }
  HMX_Result ChunkCount(int32_t*) override { return 0; }
  HMX_Result ChunkIdAtIndex(int32_t, uint32_t*) override { return 0; }
  HMX_Result ChunkByteSize(uint32_t, uint32_t*) override { return 0; }
  HMX_Result FillChunk(uint32_t, PlugInChunk*) override { return 0; }
  HMX_Result SetChunk(uint32_t, const PlugInChunk*) override { return 0; }
  HMX_Result CompareActiveChunk(const PlugInChunk*, bool*) override { return 0; }
  HMX_Result ChangeCount(int32_t*) override { return 0; }
  HMX_Result IdleCleanup() override { return 0; }

  std::vector<std::string> ids{"", "1", "2"};
  HMX_Result countResult = 0;
};

// The host's controller object as the GUI sees it: it also answers the effect's interface.
class FakeGUIController : public FakeHostObject<HMX_IHCFController> {
public:
  FakeGUIController() {
    Offer(HMX_IID_Controller_V1, static_cast<HMX_IHCFController*>(this));
    Offer(HMX_IID_EffectParameters, static_cast<HMX_IHCFEffectParameters*>(&effect));
  }
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override {
    const HMX_Result result = DoQuery(iid, out);
    if (result == 0 && iid == HMX_IID_EffectParameters) {
      --refs;
      ++effect.refs;
    }
    return result;
  }
  FakeEffect effect;
};

class TestGUI : public HMX_CEffectGUI {
public:
  void AttachEffect() override { log.push_back("attach"); }
  void OpenHostView() override {
    if (throwOnOpen)
      throw std::runtime_error("no display");
    log.push_back("open " + std::to_string(NativeView() != nullptr));
  }
  void CloseHostView() override { log.push_back("close"); }
  HMX_Result ParamChangedHook(const char* id) override {
    log.push_back(std::string("changed ") + id);
    return 0;
  }
  std::vector<std::string> log;
  bool throwOnOpen = false;
};

TEST(HMX_CEffectGUI, OpensRefreshesReplacesAndClosesItsView) {
  FakeGUIController controller;
  FakeViewContainer first, second;
  auto* gui = new TestGUI;
  gui->AddRef();
  EXPECT_EQ(gui->InitializeGUI(&controller), 0);
  EXPECT_EQ(gui->Effect(), static_cast<HMX_IHCFEffectParameters*>(&controller.effect));
  EXPECT_EQ(gui->SetViewContainer(&first), 0);
  EXPECT_EQ(gui->NativeView(), &first);
  EXPECT_EQ(gui->SetViewContainer(&second), 0);
  EXPECT_EQ(gui->NativeView(), &second);
  EXPECT_EQ(gui->log, (std::vector<std::string>{"attach", "open 1", "changed ", "changed 2", "open 1",
                                                "changed ", "changed 2"}));
  gui->log.clear();
  controller.effect.countResult = -1;
  RecordingHostServices services;
  gui->UpdateAllParameters();
  EXPECT_TRUE(gui->log.empty());
  ASSERT_EQ(services.traces.size(), 1u);
  EXPECT_EQ(services.traces[0].second,
            "HMX_CEffectGUI::UpdateAllParameters - error getting the number of parameters");
  EXPECT_EQ(gui->TeardownGUI(), 0);
  EXPECT_EQ(gui->log, (std::vector<std::string>{"close"}));
  EXPECT_EQ(gui->NativeView(), nullptr);
  EXPECT_EQ(controller.refs, 0);
  EXPECT_EQ(controller.effect.refs, 0);
  EXPECT_EQ(gui->GUIExtensionD(nullptr), HMX_ERROR_NULL_OBJECT);
  void* out = nullptr;
  ASSERT_EQ(gui->QueryInterface(HMX_IID_EffectGUI_V2, &out), 0);
  EXPECT_EQ(out, static_cast<HMX_IHCFEffectGUI_V2*>(gui));
  gui->Release();
  gui->Release(); // the last release deletes it
}

TEST(HMX_CEffectGUI, WithoutAControllerItIsNotInitialisedAndHookFailuresStayInside) {
  RecordingHostServices services;
  TestGUI gui;
  EXPECT_EQ(gui.InitializeGUI(nullptr), HMX_ERROR_NOT_INITIALIZED);
  FakeViewContainer container;
  gui.throwOnOpen = true;
  EXPECT_EQ(gui.SetViewContainer(&container), HMX_ERROR_UNKNOWN_EXCEPTION);
  ASSERT_FALSE(services.traces.empty());
  EXPECT_EQ(services.traces.back().second, "HMX_CEffectGUI::SetViewContainer exception caught: no display");
  gui.UpdateAllParameters(); // no effect: nothing happens
  EXPECT_EQ(gui.SetViewContainer(nullptr), 0);
}

} // namespace

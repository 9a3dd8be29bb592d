// The module's exports start and stop the link to the host services, register the description,
// create the registered objects, follow the live objects for unloading, and answer every failure
// inside them with a result code instead of an exception.
#include "Keel/Core/HMX/HMXModuleExports.h"
#include "FakeDescriptionHost.h"
#include "Keel/Core/HMX/HMXModuleHooks.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectGUI.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectParameters.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <gtest/gtest.h>

#include <new>

namespace {

using hmxtest::FakeDescriptionHost;

void ProcessNothing(void*, void*) {}

// Stand-ins for the processor's binding: objects born with no reference, as the host expects.
class StubEffect : public HMX_CEffectParameters {};
class StubGUI : public HMX_CEffectGUI {
public:
  void AttachEffect() override {}
  void OpenHostView() override {}
  void CloseHostView() override {}
};
IHCFUnknown* MakeEffect() {
  return static_cast<HMX_IHCFEffectParameters_V4*>(new StubEffect);
}
IHCFUnknown* MakeGUI() {
  return static_cast<HMX_IHCFEffectGUI_V2*>(new StubGUI);
}
IHCFUnknown* FailToMake() {
  throw std::bad_alloc();
}

class ModuleExportsTest : public ::testing::Test {
protected:
  void SetUp() override {
    keel::RegisterHMXModuleHooks({MakeEffect, MakeGUI, ProcessNothing});
    ASSERT_EQ(HCFStartup(host.Unknown()), HMX_SUCCESS);
  }
  void TearDown() override {
    HCFShutdown(nullptr);
    keel::RegisterHMXModuleHooks({});
  }
  FakeDescriptionHost host;
};

TEST_F(ModuleExportsTest, StartupLinksTheHostServicesOnceAndShutdownUnlinksThem) {
  ASSERT_NE(HMX::GetHostServices(), nullptr);
  const int created = host.state.servicesCreated;
  EXPECT_EQ(HCFStartup(host.Unknown()), HMX_SUCCESS);
  EXPECT_EQ(host.state.servicesCreated, created) << "a second start-up keeps the first wrapper";
  HMX::HostTrace(1, "while started");
  EXPECT_EQ(host.state.traces.size(), 1u);

  EXPECT_EQ(HCFShutdown(nullptr), HMX_SUCCESS);
  EXPECT_EQ(HMX::GetHostServices(), nullptr);
  EXPECT_EQ(host.refs, 0) << "every host interface is released";
  HMX::HostTrace(1, "after shut-down");
  EXPECT_EQ(host.state.traces.size(), 1u) << "traces are dropped without the host services";
  EXPECT_EQ(HCFShutdown(nullptr), HMX_SUCCESS) << "shut-down twice changes nothing";
  EXPECT_EQ(HCFStartup(nullptr), HMX_SUCCESS);
  EXPECT_EQ(HMX::GetHostServices(), nullptr);
}

TEST_F(ModuleExportsTest, RegistrationHandsBackTheCollectionAndReleasesTheRest) {
  const int hostRefs = host.refs;
  IHCFUnknown* collection = nullptr;
  ASSERT_EQ(HCFRegisterPlugin(host.Unknown(), &collection), HMX_SUCCESS);
  ASSERT_NE(collection, nullptr);
  EXPECT_EQ(host.state.log.calls.back(), "version 65549");
  EXPECT_EQ(collection->Release(), 0u) << "only the handed-out reference was left";
  EXPECT_EQ(host.refs, hostRefs) << "the wrappers released the host object";
}

TEST_F(ModuleExportsTest, CreateProceduresMakeTheRegisteredObjectsAndUnloadingWaitsForThem) {
  IHCFUnknown* collection = nullptr;
  ASSERT_EQ(HCFRegisterPlugin(host.Unknown(), &collection), HMX_SUCCESS);
  collection->Release();
  ASSERT_EQ(HCFCanUnloadNow(), 0);

  IHCFUnknown* effect = host.state.createProcs.at(0)();
  IHCFUnknown* gui = host.state.createProcs.at(1)();
  ASSERT_NE(effect, nullptr);
  ASSERT_NE(gui, nullptr);
  void* params = nullptr;
  ASSERT_EQ(effect->QueryInterface(HMX_IID_EffectParameters_V4, &params), HMX_SUCCESS);
  void* view = nullptr;
  ASSERT_EQ(gui->QueryInterface(HMX_IID_EffectGUI_V2, &view), HMX_SUCCESS);
  EXPECT_EQ(HCFCanUnloadNow(), 2);

  static_cast<HMX_IHCFEffectParameters_V4*>(params)->Release();
  EXPECT_EQ(HCFCanUnloadNow(), 1);
  static_cast<HMX_IHCFEffectGUI_V2*>(view)->Release();
  EXPECT_EQ(HCFCanUnloadNow(), 0);
}

TEST_F(ModuleExportsTest, AnExceptionInsideACreationIsAnsweredWithNullAndTraced) {
  keel::RegisterHMXModuleHooks({FailToMake, nullptr, ProcessNothing});
  EXPECT_EQ(keel::NewEffectParameters(), nullptr);
  ASSERT_FALSE(host.state.traces.empty());
  EXPECT_EQ(host.state.traces.back().second, "NewEffectParameters exception caught: std::bad_alloc");
  EXPECT_EQ(keel::NewEffectGUI(), nullptr) << "no creator registered";
  EXPECT_EQ(HCFCanUnloadNow(), 0);
}

TEST_F(ModuleExportsTest, AFailingDescriptionAnswersItsCodeAndTracesIt) {
  host.state.plan.failing["clock"] = HMX_ERROR_NULL_COMPONENT;
  const int hostRefs = host.refs;
  const int destroyed = host.state.log.destroyed;
  IHCFUnknown* collection = host.Unknown(); // a stale value the failure must not leave behind
  EXPECT_EQ(HCFRegisterPlugin(host.Unknown(), &collection), HMX_ERROR_NULL_COMPONENT);
  EXPECT_EQ(collection, nullptr);
  ASSERT_FALSE(host.state.traces.empty());
  EXPECT_EQ(host.state.traces.back().second,
            "HMXRegisterPlugin exception caught: HMX_ERROR_NULL_COMPONENT (-20015)");
  EXPECT_EQ(host.refs, hostRefs) << "the description objects are released on the failure path too";
  EXPECT_EQ(host.state.log.destroyed, destroyed + 3) << "collection, effect and component descriptors";
}

TEST_F(ModuleExportsTest, AHostThatBreaksTheObjectContractGivesTheUnknownExceptionCode) {
  host.state.plan.emptyFactoryAnswer = true;
  IHCFUnknown* collection = nullptr;
  EXPECT_EQ(HCFRegisterPlugin(host.Unknown(), &collection), HMX_ERROR_UNKNOWN_EXCEPTION);
  EXPECT_EQ(collection, nullptr);
  ASSERT_FALSE(host.state.traces.empty());
  EXPECT_EQ(
      host.state.traces.back().second.rfind("HMXRegisterPlugin exception caught: host answered success", 0),
      0u);
}

TEST_F(ModuleExportsTest, RegistrationWithoutAnAnswerPlaceIsAFailure) {
  EXPECT_EQ(HCFRegisterPlugin(host.Unknown(), nullptr), HMX_ERROR_NULL_ARGUMENT);
}

TEST_F(ModuleExportsTest, ModuleQueriesAnswerTheirFixedValues) {
  void* out = &out;
  EXPECT_EQ(HCFGetClassFactory(host.Unknown(), nullptr, nullptr, &out), HMX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(out, nullptr);
  out = &out;
  EXPECT_EQ(HCFRegisterComponent(host.Unknown(), nullptr, &out), HMX_SUCCESS);
  EXPECT_EQ(out, nullptr);
  uint64_t version = 0;
  EXPECT_EQ(HCFGetSDKVersion(&version), HMX_SUCCESS);
  EXPECT_EQ(version, 0x0000020901345D68ull);
  EXPECT_EQ(HCFGetSDKVersion(nullptr), HMX_ERROR_NULL_ARGUMENT);
}

} // namespace

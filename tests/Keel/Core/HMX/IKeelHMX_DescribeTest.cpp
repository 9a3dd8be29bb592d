// The plug-in describes itself to the host exactly: names, category, context fields, properties,
// create procedures, identifiers, maker and version; failing host calls are reported, not hidden.
#include "Keel/Core/HMX/IKeelHMX_Describe.h"
#include "FakeDescriptionHost.h"
#include "Keel/Core/HMX/HMXModuleHooks.h"
#include "Keel/Core/IKeelProcessor.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"
#include "Keel/Dependencies/Core/HMX_SDK/RecordingHostServices.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using hmxtest::FakeDescriptionHost;

void ProcessNothing(void*, void*) {}

class DescribeTest : public ::testing::Test {
protected:
  void SetUp() override { keel::RegisterHMXModuleHooks({nullptr, nullptr, ProcessNothing}); }
  void TearDown() override { keel::RegisterHMXModuleHooks({}); }

  // Describes one component with the setup and answers the lines the host recorded.
  std::vector<std::string> DescribeOne(const keel::SetupInfo& setupInfo) {
    HMX_VCollection collection(host.Unknown());
    keel::DescribeComponent(collection.CreateEffectDescriptor(), setupInfo);
    return host.state.log.calls;
  }
  static keel::SetupInfo ProductSetup(const char* channelIO) {
    keel::PtrList<keel::ChannelIOConfig> configs;
    int a, b, c, d;
    keel::IKeelProcessor::ParseChannelIOStr(channelIO, configs, a, b, c, d);
    keel::SetupInfo setupInfo;
    keel::DefaultSetupInfo(setupInfo);
    keel::SetupInfoForIOConfig(0, *configs.Get(0), HMX_FourCC("VLMI"), setupInfo);
    return setupInfo;
  }
  static int CountStarting(const std::vector<std::string>& lines, const std::string& start) {
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
  }

  RecordingHostServices services;
  FakeDescriptionHost host;
};

TEST_F(DescribeTest, DescribesTheProductExactly) {
  {
    HMX_VCollection collection(host.Unknown());
    EXPECT_EQ(keel::DescribeEffects(collection), HMX_SUCCESS);
  }
  std::vector<std::string> expected = {
      "effect name Velmora", "package Velmora", "effect name VLM", "package VLM", "category 2048",
      // global MIDI placeholder, input and output nodes, transport
      "private 6 4 0", "midi 4 0 Velmora Midi 1", "midi 5 1 Velmora Midi 1", "midi 7 3 Transport 65535"};
  for (int field = 8; field <= 22; ++field)
    expected.push_back("private " + std::to_string(field) + " 4 0");
  const std::string ids = " 11=" + std::to_string(int32_t(HMX_FourCC("Ostd"))) +
                          " 12=" + std::to_string(int32_t(HMX_FourCC("VLMP"))) +
                          " 13=" + std::to_string(int32_t(HMX_FourCC("VLMI")));
  for (const char* line : {"audio in 0", "audio out 1", "buffer length 2", "clock 3", "private 24 4 0",
                           "private 23 8 0", "data in 25 8 buffered"})
    expected.push_back(line);
  expected.push_back("native proc {56=0 51=65538 52=65538 60=1 300=1 306=1" + ids + "}");
  for (const char* line : {"attach component", "create proc 0", "create proc 1",
                           "register com.ostrand.hmx.Velmora", "maker Ostrand", "version 65549"})
    expected.push_back(line);
  EXPECT_EQ(host.state.log.calls, expected);

  EXPECT_EQ(host.state.createProcs[0], &keel::NewEffectParameters);
  EXPECT_EQ(host.state.createProcs[1], &keel::NewEffectGUI);
  EXPECT_EQ(host.state.processProc, &ProcessNothing);
  EXPECT_TRUE(services.assertions.empty());
  EXPECT_EQ(host.state.log.destroyed, 4) << "collection, effect, component and map go with the wrapper";
}

TEST_F(DescribeTest, StemFormatsFollowTheChannelCount) {
  const std::pair<int, int32_t> rows[] = {{1, 1},      {2, 65538},    {3, 131075},   {4, 917508},
                                          {8, 786440}, {16, 1245200}, {0, -6553600}, {11, -6553600}};
  for (const auto& [channels, code] : rows)
    EXPECT_EQ(keel::StemFormatForChannels(channels), code) << channels << " channels";
}

TEST_F(DescribeTest, ConfigurationWithoutInputsDeclaresTheOutputLayoutOnBothSides) {
  const keel::SetupInfo instrument = ProductSetup("0-2");
  EXPECT_EQ(instrument.mInputStemFormat, 65538);
  EXPECT_EQ(instrument.mOutputStemFormat, 65538);
  EXPECT_EQ(instrument.mNumAuxOutputStems, 0);
  const keel::SetupInfo effect = ProductSetup("1-2");
  EXPECT_EQ(effect.mInputStemFormat, 1);
  EXPECT_EQ(effect.mOutputStemFormat, 65538);
}

TEST_F(DescribeTest, AdditionalMIDINodesFillTheirFieldsAndNeverMoreThanFifteen) {
  keel::SetupInfo setupInfo = ProductSetup("0-2");
  setupInfo.mNumAdditionalInputMIDINodes = 15;
  const auto fifteen = DescribeOne(setupInfo);
  for (int field = 8; field <= 22; ++field)
    EXPECT_NE(
        std::find(fifteen.begin(), fifteen.end(), "midi " + std::to_string(field) + " 0 Velmora Midi 1"),
        fifteen.end())
        << field;
  EXPECT_EQ(CountStarting(fifteen, "private"), 3) << "global MIDI, meters and the private data";

  host.state.log.calls.clear();
  setupInfo.mNumAdditionalInputMIDINodes = 16;
  setupInfo.mNumAuxOutputStems = 40; // more stems than the record holds names for
  const auto tooMany = DescribeOne(setupInfo);
  EXPECT_EQ(CountStarting(tooMany, "midi "), 18) << "input, output, transport and fields 8 to 22 only";
  EXPECT_EQ(CountStarting(tooMany, "aux stem"), 32);
  EXPECT_EQ(services.assertions,
            (std::vector<std::string>{
                "Keel/Core/HMX/IKeelHMX_Parameters:setupInfo.mNumAdditionalInputMIDINodes <= "
                "kMaxAdditionalMIDINodes:1",
                "Keel/Core/HMX/IKeelHMX_Parameters:setupInfo.mNumAuxOutputStems <= kMaxAuxOutputStems:1"}));
}

TEST_F(DescribeTest, AFailingHostCallInAComponentThrowsItsResult) {
  host.state.plan.failing["clock"] = HMX_ERROR_NULL_COMPONENT;
  HMX_VCollection collection(host.Unknown());
  try {
    keel::DescribeComponent(collection.CreateEffectDescriptor(), ProductSetup("0-2"));
    FAIL() << "no exception";
  } catch (const HMX::Exception::ResultError& e) {
    EXPECT_EQ(e.Result(), HMX_ERROR_NULL_COMPONENT);
  }
  EXPECT_EQ(host.state.log.calls.back(), "clock 3") << "nothing is declared after the failure";
}

TEST_F(DescribeTest, FailingEffectCallsAreReportedAndKeepTheEffectUnregistered) {
  host.state.plan.failing["category"] = HMX_ERROR_UNIMPLEMENTED;
  {
    HMX_VCollection collection(host.Unknown());
    EXPECT_EQ(keel::DescribeEffects(collection), HMX_ERROR_UNIMPLEMENTED);
  }
  EXPECT_EQ(services.assertions,
            (std::vector<std::string>{"Keel/Core/HMX/IKeelHMX_Describe:err == HMX_SUCCESS:1"}));
  EXPECT_EQ(CountStarting(host.state.log.calls, "register"), 0);
  EXPECT_EQ(CountStarting(host.state.log.calls, "maker Ostrand"), 1);
  EXPECT_EQ(CountStarting(host.state.log.calls, "version 65549"), 1);
}

TEST_F(DescribeTest, AModuleWithoutProcessProcedureCannotDescribeItsComponent) {
  keel::RegisterHMXModuleHooks({});
  HMX_VCollection collection(host.Unknown());
  EXPECT_THROW(keel::DescribeComponent(collection.CreateEffectDescriptor(), ProductSetup("0-2")),
               HMX::Exception::ResultError);
  EXPECT_EQ(CountStarting(host.state.log.calls, "native proc"), 0);
}

} // namespace

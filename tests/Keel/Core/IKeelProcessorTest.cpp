// Processor base: channel I/O text, channel records, buffer attachment, block size and the default hooks.
#include <gtest/gtest.h>

#include <vector>

#include "Keel/Core/IKeelProcessor.h"

using namespace keel;

namespace {

class TestProcessor : public IKeelProcessor {
public:
  explicit TestProcessor(const char* io, int plugType = kPlugTypeEffect)
      : IKeelProcessor(MakeConfig(io, plugType)) {}
  bool SendMidiMsg(const MidiMsg& msg) override {
    sent.push_back(msg);
    return msg.status != 0xFF; // a status the fake output refuses
  }
  std::vector<MidiMsg> sent;

private:
  static PluginConfig MakeConfig(const char* io, int plugType) {
    PluginConfig config;
    config.channelIOText = io;
    config.plugType = plugType;
    return config;
  }
};

struct IoCase {
  const char* text;
  int configs, maxIn, maxOut, maxInBuses, maxOutBuses;
};

class ChannelIoText : public ::testing::TestWithParam<IoCase> {};

TEST_P(ChannelIoText, YieldsConfigurationsAndMaxima) {
  const IoCase c = GetParam();
  PtrList<ChannelIOConfig> configs;
  int in = -1, out = -1, inBuses = -1, outBuses = -1;
  EXPECT_EQ(IKeelProcessor::ParseChannelIOStr(c.text, configs, in, out, inBuses, outBuses), c.configs)
      << c.text;
  EXPECT_EQ(configs.GetSize(), c.configs);
  EXPECT_EQ(in, c.maxIn) << c.text;
  EXPECT_EQ(out, c.maxOut) << c.text;
  EXPECT_EQ(inBuses, c.maxInBuses) << c.text;
  EXPECT_EQ(outBuses, c.maxOutBuses) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, ChannelIoText,
                         ::testing::Values(IoCase{"0-2", 1, 0, 2, 0, 1}, IoCase{"1-1 2-2", 2, 2, 2, 1, 1},
                                           IoCase{"2.2-2", 1, 4, 2, 2, 1}, IoCase{"*-*", 1, 0, 0, 1, 1},
                                           IoCase{"0.2-2", 1, 2, 2, 1, 1}, IoCase{"x-2", 1, 0, 2, 0, 1},
                                           IoCase{"  1-2   ", 1, 1, 2, 1, 1}, IoCase{"", 0, 0, 0, 0, 0}));

TEST(ChannelIoText, BusRecordsKeepDirectionAndCount) {
  PtrList<ChannelIOConfig> configs;
  int a, b, c, d;
  const char text[] = "0.2-2 *-1.3";
  IKeelProcessor::ParseChannelIOStr(text, configs, a, b, c, d);
  EXPECT_STREQ(text, "0.2-2 *-1.3") << "the caller's text is not changed";
  const ChannelIOConfig& first = *configs.Get(0);
  ASSERT_EQ(first.NBuses(kInput), 1);
  EXPECT_EQ(first.inputBuses.Get(0)->direction, kInput);
  EXPECT_EQ(first.inputBuses.Get(0)->channelCount, 2);
  EXPECT_EQ(first.outputBuses.Get(0)->direction, kOutput);
  const ChannelIOConfig& second = *configs.Get(1);
  EXPECT_EQ(second.inputBuses.Get(0)->channelCount, BusInfo::kWildcardChannels);
  EXPECT_EQ(second.NBuses(kOutput), 2);
  EXPECT_EQ(second.NChansOnBus(kOutput, 1), 3);
}

TEST(IKeelProcessor, ThisInstrumentHasTwoOutputsAndNoInputs) {
  TestProcessor p("0-2", kPlugTypeInstrument);
  EXPECT_EQ(p.MaxNChannels(kInput), 0);
  EXPECT_EQ(p.MaxNChannels(kOutput), 2);
  EXPECT_EQ(p.GetSampleRate(), 48000.0);
  EXPECT_EQ(p.GetBlockSize(), 0);
  EXPECT_TRUE(p.IsInstrument());
  EXPECT_TRUE(p.DoesMidiIn());
  EXPECT_TRUE(p.DoesMidiOut());
  EXPECT_EQ(p.GetTimeInfo().tempo, 120.0);
  EXPECT_EQ(p.GetTimeInfo().samplePos, -1.0);
  EXPECT_EQ(p.GetTimeInfo().numerator, 4);
  EXPECT_EQ(p.GetMaxBusCount(kOutput), 1);
  EXPECT_EQ(p.GetMaxChannelsOnBus(kOutput, 0), 2);
  EXPECT_EQ(p.GetMaxBusCount(kInput), 0);
  EXPECT_EQ(p.GetMaxChannelsOnBus(kInput, 0), 0);
}

TEST(IKeelProcessor, DefaultBlockWritesSilenceWithoutInputs) {
  TestProcessor p("0-2");
  p.SetBlockSize(8);
  std::vector<double> left(8, 0.7), right(8, -0.7);
  double* outs[] = {left.data(), right.data()};
  p.SetChannelConnections(kOutput, 0, 2, true);
  p.AttachBuffers(kOutput, 0, 2, outs);
  p.ProcessBuffers(8);
  EXPECT_EQ(left, std::vector<double>(8, 0.0));
  EXPECT_EQ(right, std::vector<double>(8, 0.0));
}

TEST(IKeelProcessor, DefaultBlockCopiesInputsAndSilencesExtraOutputs) {
  TestProcessor p("1-2");
  std::vector<double> in{1, 2, 3}, out0(3, 9), out1(3, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  p.SetChannelConnections(kInput, 0, 1, true);
  p.SetChannelConnections(kOutput, 0, 2, true);
  p.AttachBuffers(kInput, 0, 1, ins);
  p.AttachBuffers(kOutput, 0, 2, outs);
  p.ProcessBuffers(3);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, std::vector<double>(3, 0.0));
}

TEST(IKeelProcessor, UnconnectedChannelsTakeNoPointerAndFallBackToScratch) {
  TestProcessor p("0-3");
  p.SetBlockSize(4);
  double a[4], b[4], c[4];
  double* ptrs[] = {a, b, c};
  p.SetChannelConnections(kOutput, 0, 3, true);
  p.SetChannelConnections(kOutput, 1, 1, false);
  EXPECT_EQ(p.NChannelsConnected(kOutput), 2);
  p.AttachBuffers(kOutput, 0, 3, ptrs);
  double** slots = p.GetSamplePointers(kOutput);
  EXPECT_EQ(slots[0], a);
  EXPECT_EQ(slots[2], b) << "the second pointer goes to the third channel";
  ASSERT_NE(slots[1], nullptr);
  EXPECT_NE(slots[1], c);
  p.SetChannelConnections(kOutput, 2, 100, false); // a count past the end is cut
  EXPECT_EQ(p.NChannelsConnected(kOutput), 1);
}

TEST(IKeelProcessor, SetBlockSizeZeroFillsScratchOnlyWhenTheSizeChanges) {
  TestProcessor p("0-1");
  p.SetBlockSize(16);
  p.SetChannelConnections(kOutput, 0, 1, false);
  double* scratch = p.GetSamplePointers(kOutput)[0];
  ASSERT_NE(scratch, nullptr);
  for (int i = 0; i < 16; ++i)
    scratch[i] = 5;
  p.SetBlockSize(16);
  EXPECT_EQ(scratch[15], 5) << "same size: nothing happens";
  p.SetBlockSize(32);
  p.SetChannelConnections(kOutput, 0, 1, false);
  scratch = p.GetSamplePointers(kOutput)[0];
  for (int i = 0; i < 32; ++i)
    ASSERT_EQ(scratch[i], 0) << i;
  EXPECT_EQ(p.GetBlockSize(), 32);
}

TEST(IKeelProcessor, FloatBuffersConvertAtTheChannelBoundary) {
  TestProcessor p("2-2");
  p.SetBlockSize(4);
  std::vector<float> in0{1, 2, 3, 4}, in1{-1, -2, -3, -4}, out0(4), out1(4);
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), out1.data()};
  p.SetChannelConnections(kInput, 0, 2, true);
  p.SetChannelConnections(kOutput, 0, 2, true);
  p.AttachBuffers(FloatBuffers{}, kInput, 0, 2, ins, 4);
  p.AttachBuffers(FloatBuffers{}, kOutput, 0, 2, outs, 4);
  p.ProcessBuffers(FloatBuffers{}, 4);
  EXPECT_EQ(out0, in0);
  EXPECT_EQ(out1, in1);
  // A host announcing more frames than the block size must not overrun the scratch buffers.
  std::vector<float> big(64, 1.0f);
  float* bigIns[] = {big.data(), big.data()};
  p.AttachBuffers(FloatBuffers{}, kInput, 0, 2, bigIns, 64);
}

TEST(IKeelProcessor, PassThroughDelaysByTheLatency) {
  TestProcessor p("1-1");
  p.SetBlockSize(4);
  p.CreateLatencyDelayLine();
  p.SetLatency(2);
  ASSERT_NE(p.GetLatencyDelayLine(), nullptr);
  std::vector<double> in{1, 2, 3, 4}, out(4, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out.data()};
  p.SetChannelConnections(kInput, 0, 1, true);
  p.SetChannelConnections(kOutput, 0, 1, true);
  p.AttachBuffers(kInput, 0, 1, ins);
  p.AttachBuffers(kOutput, 0, 1, outs);
  p.RenderPassThrough(4);
  EXPECT_EQ(out, (std::vector<double>{0, 0, 1, 2}));
  p.RenderPassThrough(4);
  EXPECT_EQ(out, (std::vector<double>{3, 4, 1, 2}));

  TestProcessor noInputs("0-2");
  noInputs.CreateLatencyDelayLine();
  EXPECT_EQ(noInputs.GetLatencyDelayLine(), nullptr) << "only a processor with inputs gets a delay line";
}

TEST(IKeelProcessor, MidiHooksPassOnAndReportFailures) {
  TestProcessor p("0-2");
  p.ProcessMidiMsg(MidiMsg(3, 0x90, 60, 100));
  ASSERT_EQ(p.sent.size(), 1u);
  EXPECT_EQ(p.sent[0].offset, 3);
  EXPECT_EQ(p.sent[0].data1, 60);
  EXPECT_TRUE(p.SendMidiMsgs({}));
  const MidiMsg msgs[] = {MidiMsg(0, 0xFF), MidiMsg(0, 0xB0, 7, 1)};
  EXPECT_FALSE(p.SendMidiMsgs(msgs));
  EXPECT_EQ(p.sent.size(), 3u) << "messages after a failure are still sent";
  const uint8_t sysex[] = {0xF0, 0x41, 0xF7};
  EXPECT_FALSE(p.SendSysEx(SysExMsg(0, sysex, 3)));
}

TEST(IKeelProcessor, BusNamesFollowTheBusCount) {
  TestProcessor p("0-2");
  HeapString name;
  const struct {
    ERoute dir;
    int bus, count;
    const char* expected;
  } cases[] = {{kInput, 0, 1, "Input"},   {kInput, 0, 2, "Main"},    {kInput, 1, 2, "Aux"},
               {kInput, 2, 3, "Input 2"}, {kOutput, 0, 1, "Output"}, {kOutput, 1, 2, "Output 1"}};
  for (const auto& c : cases) {
    p.GetBusName(c.dir, c.bus, c.count, name);
    EXPECT_STREQ(name.Get(), c.expected);
  }
}

TEST(IKeelProcessor, BusQueriesAcrossConfigurations) {
  TestProcessor p("1-1 2.2-2 *-1");
  int index = -1;
  EXPECT_EQ(p.GetMaxBusCount(kInput, &index), 2);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(p.GetMaxBusCount(kOutput, &index), 1);
  EXPECT_EQ(index, 2) << "the last configuration that reaches the maximum";
  EXPECT_EQ(p.GetMaxChannelsOnBus(kInput, 1), 2);
  EXPECT_EQ(p.GetMaxChannelsOnBus(kOutput, 0), 2);
  TestProcessor wild("*-2 1-1");
  EXPECT_EQ(wild.GetMaxChannelsOnBus(kInput, 0), -1);
}

TEST(MidiMsg, LengthFollowsTheStatusByte) {
  EXPECT_EQ(MidiMsg(0, 0x90).Length(), 3);
  EXPECT_EQ(MidiMsg(0, 0xC5).Length(), 2);
  EXPECT_EQ(MidiMsg(0, 0xD0).Length(), 2);
  EXPECT_EQ(MidiMsg(0, 0xE0).Length(), 3);
  EXPECT_EQ(MidiMsg(0, 0xF2).Length(), 3);
  EXPECT_EQ(MidiMsg(0, 0xF8).Length(), 1);
}

} // namespace

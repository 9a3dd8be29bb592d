// HMX binding of a processor: host parameters, state chunk, host updates, the real-time block with
// its MIDI, system-exclusive and transport hand-over, and the process procedure.
#include "Keel/Core/HMX/IKeelHMX.h"

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFTransport.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFViewContainer.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"
#include "tests/Keel/Dependencies/Core/HMX_SDK/FakeHostObject.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using keel::HMX_InstanceContext;
using keel::HMX_MIDINode;
using keel::HMX_MIDIPacket;

class FakeController : public FakeHostObject<HMX_IHCFController_V2> {
public:
  FakeController() {
    Offer(HMX_IID_Controller_V1, static_cast<HMX_IHCFController*>(this));
    Offer(HMX_IID_Controller_V2, static_cast<HMX_IHCFController_V2*>(this));
  }
  HMX_Result SampleRate(float* out) override { return *out = 44100.0f, HMX_SUCCESS; }
  HMX_Result InputStemFormat(int32_t* out) override { return *out = 0, HMX_SUCCESS; }
  HMX_Result OutputStemFormat(int32_t* out) override { return *out = 2, HMX_SUCCESS; }
  HMX_Result PostFieldPacket(int32_t field, const void* data, uint32_t size) override {
    if (field == keel::kFieldStateNumber && size == 8)
      posted.push_back(*static_cast<const int64_t*>(data));
    return HMX_SUCCESS;
  }
  std::vector<int64_t> posted;
};

class FakeTransport : public HMX_IHCFTransport {
public:
  HMX_Result QueryInterface(const HMX_GUID&, void** out) override { return *out = nullptr, HMX_HCF_E_NOINTERFACE; }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  HMX_Result Tempo(double* bpm) override { return *bpm = 90.0, HMX_SUCCESS; }
  HMX_Result IsPlaying(bool* out) override { return *out = true, HMX_SUCCESS; }
  HMX_Result TickPosition(int64_t* out) override { return *out = ticks, HMX_SUCCESS; }
  HMX_Result LoopRange(bool* on, int64_t* s, int64_t* e) override {
    return *on = true, *s = 960000, *e = 3840000, HMX_SUCCESS;
  }
  int64_t ticks = -960000;
};

keel::PluginConfig SmallConfig() {
  keel::PluginConfig c;
  c.paramCount = 3;
  c.hasUI = false;
  return c;
}

// Records hooks; renders a constant while any note is held.
class TestProcessor : public keel::IKeelHMX {
public:
  TestProcessor() : IKeelHMX(keel::HMXInstanceInfo{}, SmallConfig()) {
    GetParam(0)->InitDouble("Gain", 0.0, 0.0, 10.0, 0.0, "dB");
    GetParam(1)->InitEnum("Switch", 0, {"Off", "On"});
    GetParam(2)->InitDouble("Fine", 0.5, 0.0, 1.0, 0.0);
  }
  void OnReset() override { ++resets; }
  void OnParamChange(int idx, keel::ParamSource src, int) override {
    log.push_back("change " + std::to_string(idx) + " " + keel::ParamSourceText(src));
  }
  void ProcessMidiMsg(const keel::MidiMsg& m) override {
    log.push_back("midi " + std::to_string(m.data1));
    if (m.StatusType() == 9) held = true;
  }
  // As the instrument does: a reset reaches the processor here and the page from the UI thread.
  void OnParamReset(keel::ParamSource src) override {
    for (int i = 0; i < NParams(); ++i)
      OnParamChange(i, src, -1);
  }
  // What would reach the page.
  void EvaluateJavaScript(const char* script, std::function<void(const char*)>) override {
    const std::string text(script);
    if (text.rfind("SPVFD(", 0) == 0)
      log.push_back("page " + text.substr(6, text.find(',') - 6));
  }
  void ProcessBlock(double**, double** outputs, int n) override {
    for (int i = 0; i < n; ++i) outputs[0][i] = outputs[1][i] = held ? 0.5 : 0.0;
  }
  bool PopEditorParam(keel::ParamChange& change) { return mParamChangeToEditor.Pop(change); }
  int resets = 0;
  bool held = false;
  std::vector<std::string> log;
};

struct PacketLog {
  std::vector<HMX_MIDIPacket> packets;
  static HMX_Result Post(void* self, const HMX_MIDIPacket& p) {
    static_cast<PacketLog*>(self)->packets.push_back(p);
    return HMX_SUCCESS;
  }
};

// One instance with its host: controller, buffers, MIDI nodes, transport and context.
class IKeelHMXTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(HMX_SUCCESS, processor->Initialize(controller.Unknown()));
    processor->InitFieldData(keel::kFieldPrivateData, privateData, sizeof privateData);
    outputs[0] = left.data();
    outputs[1] = right.data();
    outNode.hostData = &out;
    outNode.post = &PacketLog::Post;
    context.fields[keel::kFieldAudioOutput] = outputs;
    context.fields[keel::kFieldBufferLength] = &frames;
    context.fields[keel::kFieldInputMIDI] = &inNode;
    context.fields[keel::kFieldOutputMIDI] = &outNode;
    context.fields[keel::kFieldTransport] = static_cast<HMX_IHCFTransport*>(&transport);
    context.fields[keel::kFieldPrivateData] = privateData;
  }
  void TearDown() override { processor->TeardownEffect(); }

  void Render() {
    HMX_InstanceContext* list[] = {&context};
    keel::ProcessInstances(list, list + 1);
  }

  FakeController controller;
  FakeTransport transport;
  TestProcessor* processor = new TestProcessor; // freed with the fixture's reference below
  std::unique_ptr<TestProcessor> owner{processor};
  alignas(8) unsigned char privateData[8] = {};
  std::vector<float> left = std::vector<float>(2048, 1.0f), right = std::vector<float>(2048, 1.0f);
  float* outputs[2] = {};
  int32_t frames = 512;
  HMX_MIDINode inNode;
  HMX_MIDINode outNode;
  PacketLog out;
  HMX_InstanceContext context;
};

TEST_F(IKeelHMXTest, EveryFrameworkParameterBecomesAHostParameterAfterTheBypass) {
  int32_t count = 0;
  processor->ParamCount(&count);
  EXPECT_EQ(4, count);
  HMX_CString id, name, text;
  processor->ParamIDAt(0, &id);
  processor->ParamName("", &name);
  EXPECT_STREQ("", id.Text());
  EXPECT_STREQ("Master Bypass", name.Text());
  processor->ParamIDAt(2, &id);
  EXPECT_STREQ("2", id.Text());

  int32_t steps = 0, kind = -1;
  processor->ParamStepCount("2", &steps);
  processor->ParamKind("2", &kind);
  EXPECT_EQ(2, steps);
  EXPECT_EQ(0, kind);
  processor->ParamTextFromNormalized("2", 0.0, &text, 32);
  EXPECT_STREQ("Off", text.Text());
  processor->ParamTextFromNormalized("2", 1.0, &text, 32);
  EXPECT_STREQ("On", text.Text());

  processor->ParamStepCount("1", &steps);
  processor->ParamKind("1", &kind);
  EXPECT_EQ(128, steps);
  EXPECT_EQ(1, kind);
  processor->ParamTextFromNormalized("1", 0.5, &text, 32);
  EXPECT_STREQ("5.00dB", text.Text());
  EXPECT_DOUBLE_EQ(44100.0, processor->GetSampleRate());
}

TEST_F(IKeelHMXTest, HostUpdateSetsTheFrameworkParameterAndQueuesItForTheEditor) {
  EXPECT_EQ(HMX_SUCCESS, processor->UpdateParamFromHost("3", 0.25, 0));
  EXPECT_DOUBLE_EQ(0.25, processor->GetParam(2)->Value());
  keel::ParamChange change;
  ASSERT_TRUE(processor->PopEditorParam(change));
  EXPECT_EQ(2, change.index);
  EXPECT_DOUBLE_EQ(0.25, change.value);
  EXPECT_EQ(std::vector<std::string>{"change 2 Host"}, processor->log);

  EXPECT_EQ(HMX_ERROR_INVALID_PARAMETER_ID, processor->UpdateParamFromHost("9", 0.5, 0));
  EXPECT_EQ(HMX_SUCCESS, processor->UpdateParamFromHost("", 1.0, 0)); // the bypass touches no framework value
  EXPECT_EQ(1u, processor->log.size());
}

TEST_F(IKeelHMXTest, HostConfirmingTheCurrentValueKeepsItsRealValueExactly) {
  // A host echoes the values a restore reports; the round trip through normalized must not round them.
  const double awkward[] = {10.0 / 3.0, 0.1, 9.999999999999998};
  for (double value : awkward) {
    processor->GetParam(0)->Set(value);
    ASSERT_EQ(HMX_SUCCESS, processor->UpdateParamFromHost("1", processor->GetParam(0)->GetNormalized(), 0));
    EXPECT_EQ(value, processor->GetParam(0)->Value());
  }
}

TEST_F(IKeelHMXTest, StateTravelsAsOneChunkIntoASecondInstance) {
  uint32_t chunkID = 0;
  EXPECT_EQ(HMX_SUCCESS, processor->ChunkIdAtIndex(0, &chunkID));
  EXPECT_EQ(HMX_FourCC("VLMP"), chunkID);
  uint32_t otherID = 1;
  EXPECT_EQ(HMX_ERROR_INVALID_CHUNK_INDEX, processor->ChunkIdAtIndex(1, &otherID));
  EXPECT_EQ(0u, otherID);
  uint32_t size = 0;
  EXPECT_EQ(HMX_ERROR_INVALID_CHUNK_ID, processor->ChunkByteSize(HMX_FourCC("elck"), &size));

  processor->GetParam(0)->Set(7.5);
  processor->GetParam(2)->Set(0.125);
  ASSERT_EQ(HMX_SUCCESS, processor->ChunkByteSize(chunkID, &size));
  ASSERT_EQ(24u, size);
  std::vector<uint8_t> storage(PlugInChunk::kDataOffset + size);
  auto* chunk = reinterpret_cast<PlugInChunk*>(storage.data());
  chunk->mChunkID = chunkID;
  EXPECT_EQ(HMX_ERROR_INVALID_CHUNK_ID, processor->FillChunk(HMX_FourCC("elck"), chunk));
  ASSERT_EQ(HMX_SUCCESS, processor->FillChunk(chunkID, chunk));
  EXPECT_EQ(24, chunk->mSize);

  bool equal = false;
  processor->CompareActiveChunk(chunk, &equal);
  EXPECT_TRUE(equal);

  FakeController otherController;
  auto second = std::make_unique<TestProcessor>();
  ASSERT_EQ(HMX_SUCCESS, second->Initialize(otherController.Unknown()));
  EXPECT_EQ(HMX_ERROR_INVALID_CHUNK_ID, second->SetChunk(HMX_FourCC("elck"), chunk));
  ASSERT_EQ(HMX_SUCCESS, second->SetChunk(chunkID, chunk));
  EXPECT_DOUBLE_EQ(7.5, second->GetParam(0)->Value());
  EXPECT_DOUBLE_EQ(0.125, second->GetParam(2)->Value());
  second->TeardownEffect();
}

TEST_F(IKeelHMXTest, RestoreOnAHostThreadLeavesThePageRefreshToTheUIThread) {
  uint32_t size = 0;
  ASSERT_EQ(HMX_SUCCESS, processor->ChunkByteSize(HMX_FourCC("VLMP"), &size));
  std::vector<uint8_t> storage(PlugInChunk::kDataOffset + size);
  auto* chunk = reinterpret_cast<PlugInChunk*>(storage.data());
  ASSERT_EQ(HMX_SUCCESS, processor->FillChunk(HMX_FourCC("VLMP"), chunk));
  std::thread host([&] { processor->SetChunk(HMX_FourCC("VLMP"), chunk); });
  host.join();
  EXPECT_EQ(0, std::count_if(processor->log.begin(), processor->log.end(),
                             [](const std::string& line) { return line.rfind("page", 0) == 0; }));
  // The UI thread's next ticks send the page every value.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::count(processor->log.begin(), processor->log.end(), "page 2") == 0 &&
         std::chrono::steady_clock::now() < end)
    g_main_context_iteration(nullptr, FALSE);
  EXPECT_EQ(1, std::count(processor->log.begin(), processor->log.end(), "page 0"));
  EXPECT_EQ(1, std::count(processor->log.begin(), processor->log.end(), "page 2"));
}

TEST_F(IKeelHMXTest, HostMidiIsProcessedAndEditorMidiFollowsBeforeRendering) {
  const HMX_MIDIPacket noteOn{3, 3, {0x90, 60, 100, 0}, false};
  inNode.buffer = &noteOn;
  inNode.bufferCount = 1;
  processor->DeferMidiMsg(keel::MidiMsg(0, 0xB0, 7, 1));
  Render();
  EXPECT_EQ((std::vector<std::string>{"midi 60", "midi 7"}), processor->log);
  EXPECT_FLOAT_EQ(0.5f, left[0]);
  EXPECT_FLOAT_EQ(0.5f, right[511]);
  EXPECT_DOUBLE_EQ(90.0, processor->GetTimeInfo().tempo);
}

TEST_F(IKeelHMXTest, BypassedBlockTakesHostMidiButRendersSilenceAndLeavesEditorMidi) {
  ASSERT_EQ(HMX_SUCCESS, processor->UpdateParamFromHost("", 1.0, 0));
  const HMX_MIDIPacket noteOn{0, 3, {0x90, 64, 100, 0}, false};
  inNode.buffer = &noteOn;
  inNode.bufferCount = 1;
  processor->DeferMidiMsg(keel::MidiMsg(0, 0xB0, 7, 1));
  Render();
  EXPECT_EQ(std::vector<std::string>{"midi 64"}, processor->log);
  EXPECT_FLOAT_EQ(0.0f, left[0]);
  EXPECT_FLOAT_EQ(0.0f, right[100]);
}

TEST_F(IKeelHMXTest, MidiOutputLeavesOrderedByOffset) {
  processor->SendMidiMsg(keel::MidiMsg(10, 0x90, 1, 1));
  processor->SendMidiMsg(keel::MidiMsg(5, 0x90, 2, 1));
  processor->SendMidiMsg(keel::MidiMsg(5, 0x90, 3, 1));
  Render();
  ASSERT_EQ(3u, out.packets.size());
  EXPECT_EQ(2, out.packets[0].data[1]);
  EXPECT_EQ(3, out.packets[1].data[1]);
  EXPECT_EQ(1, out.packets[2].data[1]);
  EXPECT_EQ(5u, out.packets[0].timestamp);
  EXPECT_EQ(3u, out.packets[2].length);
  EXPECT_TRUE(out.packets[2].immediate);
  EXPECT_EQ(0, processor->PendingMidiCount());
}

TEST_F(IKeelHMXTest, MidiOutputQueueHoldsItsCapacityInOrderAndDropsTheRest) {
  constexpr int kSent = keel::IKeelHMX::kMidiOutCapacity + 100;
  for (int i = 0; i < kSent; ++i)
    processor->SendMidiMsg(keel::MidiMsg(kSent - i, 0x90, uint8_t(i & 0x7F), 1));
  ASSERT_EQ(keel::IKeelHMX::kMidiOutCapacity, processor->PendingMidiCount());
  for (int i = 1; i < processor->PendingMidiCount(); ++i)
    ASSERT_LE(processor->PendingMidiAt(i - 1).offset, processor->PendingMidiAt(i).offset);
}

TEST_F(IKeelHMXTest, OutgoingMessagesTakeTheLengthTheirStatusImplies) {
  processor->SendMidiMsg(keel::MidiMsg(0, 0xC0, 5, 99));
  processor->SendMidiMsg(keel::MidiMsg(0, 0xF8));
  processor->SendMidiMsg(keel::MidiMsg(0, 0xB0, 7, 100));
  Render();
  ASSERT_EQ(3u, out.packets.size());
  EXPECT_EQ(2u, out.packets[0].length);
  EXPECT_EQ(0, out.packets[0].data[2]);
  EXPECT_EQ(1u, out.packets[1].length);
  EXPECT_EQ(3u, out.packets[2].length);
}

TEST_F(IKeelHMXTest, EditorSysExQueueHoldsSeveralPatchSends) {
  const uint8_t bytes[23] = {0xF0, 0x41, 0x35, 0, 0x20, 0x30, 0, 0, 0, 0, 0,   0,
                             0,    0,    0,    0, 0,    0,    0, 0, 0, 0, 0xF7};
  int accepted = 0;
  for (int i = 0; i < 100; ++i)
    accepted += processor->DeferSysexMsg(keel::SysExMsg(0, bytes, 23)) ? 1 : 0;
  EXPECT_EQ(keel::IKeelHMX::kSysExToHostCapacity, accepted);
  Render();
  int ends = 0;
  for (const auto& p : out.packets)
    ends += p.data[p.length - 1] == 0xF7;
  EXPECT_EQ(accepted, ends);
}

TEST_F(IKeelHMXTest, EditorSysExLeavesInPacketsOfFourBytesWithTheRecordOffset) {
  const uint8_t bytes[10] = {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 0xF7};
  ASSERT_TRUE(processor->DeferSysexMsg(keel::SysExMsg(7, bytes, 10)));
  Render();
  ASSERT_EQ(3u, out.packets.size());
  EXPECT_EQ(4u, out.packets[0].length);
  EXPECT_EQ(4u, out.packets[1].length);
  EXPECT_EQ(2u, out.packets[2].length);
  EXPECT_EQ(0xF7, out.packets[2].data[1]);
  for (const auto& p : out.packets)
    EXPECT_EQ(7u, p.timestamp);
}

TEST_F(IKeelHMXTest, OutputWithoutAMidiOutputNodeIsDiscarded) {
  context.fields[keel::kFieldOutputMIDI] = nullptr;
  const uint8_t bytes[6] = {0xF0, 0x41, 0x43, 0, 0x20, 0xF7};
  processor->SendMidiMsg(keel::MidiMsg(0, 0x90, 1, 1));
  ASSERT_TRUE(processor->DeferSysexMsg(keel::SysExMsg(0, bytes, 6)));
  Render();
  EXPECT_EQ(0, processor->PendingMidiCount());
  context.fields[keel::kFieldOutputMIDI] = &outNode;
  Render();
  EXPECT_TRUE(out.packets.empty());
}

TEST_F(IKeelHMXTest, LongerBlockRendersInSlicesWithoutAReset) {
  const int before = processor->resets;
  const HMX_MIDIPacket noteOn{0, 3, {0x90, 60, 100, 0}, false};
  inNode.buffer = &noteOn;
  inNode.bufferCount = 1;
  frames = 1300;
  Render();
  EXPECT_EQ(512, processor->GetBlockSize());
  EXPECT_EQ(before, processor->resets);
  EXPECT_FLOAT_EQ(0.5f, left[0]);
  EXPECT_FLOAT_EQ(0.5f, left[700]);
  EXPECT_FLOAT_EQ(0.5f, right[1299]);
  EXPECT_FLOAT_EQ(1.0f, right[1300]); // past the block: untouched
}

TEST_F(IKeelHMXTest, HostPacketsKeepTheirLengthAndSysExIsGatheredAcrossThem) {
  struct SysExProcessor : TestProcessor {
    void ProcessSysEx(const keel::SysExMsg& m) override { sysex.emplace_back(m.data, m.data + m.size); }
    std::vector<std::vector<uint8_t>> sysex;
  };
  FakeController otherController;
  auto other = std::make_unique<SysExProcessor>();
  ASSERT_EQ(HMX_SUCCESS, other->Initialize(otherController.Unknown()));
  alignas(8) unsigned char otherData[8] = {};
  other->InitFieldData(keel::kFieldPrivateData, otherData, sizeof otherData);
  context.fields[keel::kFieldPrivateData] = otherData;
  const HMX_MIDIPacket packets[] = {
      {0, 2, {0xC0, 5, 0x7F, 0}, false},    // a program change; its third byte is not its own
      {1, 4, {0xF0, 0x41, 0x36, 0}, false}, // a system-exclusive message over three packets,
      {1, 1, {0xF8, 0, 0, 0}, false},       // with a clock byte between its packets
      {1, 4, {0x20, 1, 2, 3}, false},       {1, 2, {0x04, 0xF7, 0x55, 0}, false},
      {2, 4, {0xF0, 1, 2, 3}, false}, // cut short by a note-on: abandoned
      {2, 3, {0x90, 64, 100, 0}, false},
  };
  inNode.buffer = packets;
  inNode.bufferCount = int32_t(std::size(packets));
  Render();
  EXPECT_EQ((std::vector<std::string>{"midi 5", "midi 0", "midi 64"}), other->log);
  ASSERT_EQ(1u, other->sysex.size());
  EXPECT_EQ((std::vector<uint8_t>{0xF0, 0x41, 0x36, 0, 0x20, 1, 2, 3, 4, 0xF7}), other->sysex[0]);
  other->TeardownEffect();
  context.fields[keel::kFieldPrivateData] = privateData;
}

TEST_F(IKeelHMXTest, RenderAfterTeardownDoesNothing) {
  processor->TeardownEffect();
  Render();
  EXPECT_FLOAT_EQ(1.0f, left[0]);
  EXPECT_TRUE(processor->log.empty());
}

TEST_F(IKeelHMXTest, TransportTicksBecomeQuarterNotes) {
  Render();
  const keel::TimeInfo& info = processor->GetTimeInfo();
  EXPECT_DOUBLE_EQ(0.0, info.ppqPos);
  EXPECT_DOUBLE_EQ(1.0, info.cycleStart);
  EXPECT_DOUBLE_EQ(4.0, info.cycleEnd);
  EXPECT_TRUE(info.transportIsRunning);
  EXPECT_TRUE(info.transportLoopEnabled);
  transport.ticks = 1920000;
  Render();
  EXPECT_DOUBLE_EQ(2.0, processor->GetTimeInfo().ppqPos);
}

TEST_F(IKeelHMXTest, ProcessProcedureSkipsContextsWithoutPrivateData) {
  HMX_InstanceContext empty;
  const HMX_MIDIPacket noteOn{0, 3, {0x90, 60, 100, 0}, false};
  inNode.buffer = &noteOn;
  inNode.bufferCount = 1;
  HMX_InstanceContext* list[] = {&empty, nullptr, &context};
  keel::ProcessInstances(list, list + 3);
  EXPECT_EQ(std::vector<std::string>{"midi 60"}, processor->log);
}

TEST_F(IKeelHMXTest, FlushPostsAGrowingStateNumber) {
  processor->FlushParamUpdates();
  processor->FlushParamUpdates();
  EXPECT_EQ((std::vector<int64_t>{0, 1}), controller.posted);
}

TEST_F(IKeelHMXTest, NotificationsSetOfflineRenderingAndTrackName) {
  processor->OnHostNotification(HMX_FourCC("HXof"), nullptr, 0);
  EXPECT_TRUE(processor->GetRenderingOffline());
  processor->OnHostNotification(HMX_FourCC("HXox"), nullptr, 0);
  EXPECT_FALSE(processor->GetRenderingOffline());
  const HMX_CString name("Lead");
  processor->OnHostNotification(HMX_FourCC("HXtn"), static_cast<const HMX_IString*>(&name), 0);
  keel::HeapString copy;
  processor->CopyTrackName(copy);
  EXPECT_STREQ("Lead", copy.Get());
}

} // namespace

namespace {

class FakeView : public FakeHostObject<HMX_IHCFViewContainer> {
public:
  FakeView() { Offer(HMX_IID_ViewContainer_V1, static_cast<HMX_IHCFViewContainer*>(this)); }
  HMX_Result RequestViewSize(const HMX_ViewSize* size) override {
    requests.emplace_back(int(size->width), int(size->height));
    return HMX_SUCCESS;
  }
  std::vector<std::pair<int, int>> requests;
};

class EditorProcessor : public keel::IKeelHMX {
public:
  EditorProcessor() : IKeelHMX(keel::HMXInstanceInfo{}, keel::PluginConfig{}) {}
};

TEST(IKeelHMXEditorTest, ResizeAsksTheHostOnlyWhenTheSizeChanges) {
  FakeView view;
  auto processor = std::make_unique<EditorProcessor>();
  HMX_VViewContainer container(view.Unknown());
  auto* link = static_cast<keel::IKeelHMXView_Interface*>(processor->GetHMXViewInterface());
  ASSERT_NE(nullptr, link);
  link->SetViewContainer(&container);
  const int width = processor->GetEditorWidth(), height = processor->GetEditorHeight();
  EXPECT_TRUE(processor->EditorResize(width, height, false));
  EXPECT_TRUE(view.requests.empty());
  EXPECT_TRUE(processor->EditorResize(1000, 700, false));
  EXPECT_EQ((std::vector<std::pair<int, int>>{{1000, 700}}), view.requests);
  EXPECT_EQ(1000, processor->GetEditorWidth());
  EXPECT_EQ(700, processor->GetEditorHeight());
  link->SetViewContainer(nullptr);
}

} // namespace

// Host API base and standalone binding: timer drain order, UI parameter changes, state comparison, and
// the device block entry with its queues.
#include "Keel/Core/IKeelAPP.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Link : keel::IKeelAPPHostLink {
  keel::MidiOutputSender* sender = nullptr;
  std::vector<std::pair<int, int>> resizes;
  keel::MidiOutputSender* GetMidiOutputSender() override { return sender; }
  void ResizeMainWindowToEditor(int w, int h) override { resizes.emplace_back(w, h); }
};

keel::PluginConfig SmallConfig() {
  keel::PluginConfig c;
  c.paramCount = 3;
  return c;
}

// Records every hook in order.
class RecordingApp : public keel::IKeelAPP {
public:
  explicit RecordingApp(Link& link) : IKeelAPP(keel::InstanceInfo{&link}, SmallConfig()) {
    GetParam(0)->InitDouble("Gain", 0.0, 0.0, 10.0, 1.0, "", keel::IParam::FlagStepped);
    GetParam(1)->InitDouble("Fine", 0.5, 0.0, 1.0, 0.0);
    GetParam(2)->InitDouble("Other", 0.0, -1.0, 1.0, 0.0);
  }
  std::vector<std::string> log;
  void OnIdle() override { log.push_back("idle"); }
  void OnParamChange(int idx, keel::ParamSource src, int offset) override {
    log.push_back("change " + std::to_string(idx) + " " + keel::ParamSourceText(src) + " " + std::to_string(offset));
  }
  void InformHostOfParamChange(int idx, double normalized) override {
    log.push_back("host " + std::to_string(idx) + " " + std::to_string(normalized));
  }
  void SendParameterValueFromDelegate(int idx, double value, bool normalized) override {
    log.push_back("editor param " + std::to_string(idx) + " " + std::to_string(value) + (normalized ? " n" : " r"));
  }
  void SendMidiMsgFromDelegate(const keel::MidiMsg& m) override { log.push_back("editor midi " + std::to_string(m.data1)); }
  void SendSysexMsgFromDelegate(const keel::SysExMsg& m) override { log.push_back("editor sysex " + std::to_string(m.size)); }
  void ProcessMidiMsg(const keel::MidiMsg& m) override { log.push_back("process midi " + std::to_string(m.data1)); }
  void ProcessSysEx(const keel::SysExMsg& m) override { log.push_back("process sysex " + std::to_string(m.size)); }
  void ProcessBlock(double**, double** outputs, int n) override {
    log.push_back("block " + std::to_string(n));
    for (int i = 0; i < n; ++i) outputs[0][i] = outputs[1][i] = 0.25;
  }
  void PushFromAudio(const keel::MidiMsg& m) { mMidiFromProcessor.Push(m); }
};

class IKeelAPPTest : public ::testing::Test {
protected:
  Link link;
  RecordingApp app{link};
};

TEST_F(IKeelAPPTest, TimerTickDrainsParametersThenMidiThenSysexThenIdles) {
  app.SendParameterValueFromAPI(0, 0.5, true);
  app.PushFromAudio(keel::MidiMsg(0, 0x90, 61, 1));
  app.log.clear();
  app.OnTimer();
  EXPECT_EQ(app.log, (std::vector<std::string>{"editor param 0 5.000000 r", "editor midi 61", "idle"}));
  app.log.clear();
  app.OnTimer();
  EXPECT_EQ(app.log, (std::vector<std::string>{"idle"}));
}

TEST_F(IKeelAPPTest, ParameterQueueToTheEditorHolds512) {
  for (int i = 0; i < 513; ++i) app.SendParameterValueFromAPI(1, 0.25, false);
  app.log.clear();
  app.OnTimer();
  EXPECT_EQ(app.log.size(), 513u) << "512 values and the idle call";
}

TEST_F(IKeelAPPTest, SteppedUIChangeStoresRoundedValueAndInformsHostUnrounded) {
  app.log.clear();
  app.SendParameterValueFromUI(0, 0.44);
  EXPECT_EQ(app.GetParam(0)->Value(), 4.0);
  ASSERT_GE(app.log.size(), 2u);
  EXPECT_EQ(app.log[0], "host 0 0.440000");
  EXPECT_EQ(app.log[1], "change 0 UI -1");
}

TEST_F(IKeelAPPTest, CompareStateToleratesTinyDifferencesAndShortData) {
  std::vector<double> data = {7.0, 7.0, 0.0, 0.5, 0.0};
  EXPECT_TRUE(app.CompareState(data.data(), 5, 2));
  data[3] = 0.500001;
  EXPECT_TRUE(app.CompareState(data.data(), 5, 2));
  data[3] = 0.501;
  EXPECT_FALSE(app.CompareState(data.data(), 5, 2));
  EXPECT_FALSE(app.CompareState(data.data(), 4, 2)) << "data shorter than start + parameter count";
}

TEST_F(IKeelAPPTest, EditorResizeFromUIWithoutPlatformFlagResizesNothing) {
  EXPECT_TRUE(app.EditorResizeFromUI(1000, 700, false));
  EXPECT_TRUE(link.resizes.empty());
  EXPECT_TRUE(app.EditorResizeFromUI(1000, 700, true));
  EXPECT_FALSE(app.EditorResize(1000, 700, true)) << "same size again";
  EXPECT_EQ(link.resizes.size(), 1u);
}

TEST_F(IKeelAPPTest, DeviceBlockHandlesDeviceQueuesThenEditorQueueThenRenders) {
  app.SetBlockSize(64);
  ASSERT_TRUE(app.PushDeviceMidi(keel::MidiMsg(0, 0x90, 60, 100)));
  keel::SysExRecord rec;
  const uint8_t bytes[6] = {0xF0, 0x41, 0x35, 0x00, 0x01, 0xF7};
  rec.Assign(0, bytes, 6);
  ASSERT_TRUE(app.PushDeviceSysEx(rec));
  app.DeferMidiMsg(keel::MidiMsg(0, 0xB0, 7, 100));
  std::vector<double> left(64), right(64);
  double* outs[2] = {left.data(), right.data()};
  app.log.clear();
  app.RunDeviceBlock(nullptr, outs, 64);
  EXPECT_EQ(app.log, (std::vector<std::string>{"process midi 60", "process sysex 6", "process midi 7", "block 64"}));
  EXPECT_EQ(left[63], 0.25);
  app.log.clear();
  app.OnTimer();
  EXPECT_EQ(app.log, (std::vector<std::string>{"editor midi 60", "editor sysex 6", "idle"}));
}

TEST_F(IKeelAPPTest, DeviceQueuesDropWhenFull) {
  for (int i = 0; i < 32; ++i) EXPECT_TRUE(app.PushDeviceMidi(keel::MidiMsg(0, 0x90, 1, 1)));
  EXPECT_FALSE(app.PushDeviceMidi(keel::MidiMsg(0, 0x90, 1, 1)));
  keel::SysExRecord rec;
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(app.PushDeviceSysEx(rec));
  EXPECT_FALSE(app.PushDeviceSysEx(rec));
}

TEST_F(IKeelAPPTest, ReleasesThatFindTheQueueFullAreKeptAndHandledInTheirPlace) {
  app.SetBlockSize(64);
  for (int key = 0; key < 32; ++key) ASSERT_TRUE(app.PushDeviceMidi(keel::MidiMsg(0, 0x90, uint8_t(key), 100)));
  // Releases: note-off, note-on at velocity 0, pedal up, all sound off, all notes off, mono mode.
  const keel::MidiMsg releases[] = {{0, 0x80, 0, 0},  {0, 0x91, 1, 0},   {0, 0xB0, 64, 0},
                                    {0, 0xB2, 120, 0}, {0, 0xB0, 123, 0}, {0, 0xB0, 126, 1}};
  for (const keel::MidiMsg& m : releases) EXPECT_TRUE(app.PushDeviceMidi(m)) << int(m.data1);
  // Anything else still finds the queue full.
  const keel::MidiMsg others[] = {{0, 0x90, 2, 100}, {0, 0xB0, 64, 127}, {0, 0xB0, 7, 0}, {0, 0xE0, 0, 64}};
  for (const keel::MidiMsg& m : others) EXPECT_FALSE(app.PushDeviceMidi(m)) << int(m.data1);

  std::vector<double> left(64), right(64);
  double* outs[2] = {left.data(), right.data()};
  app.log.clear();
  app.RunDeviceBlock(nullptr, outs, 64);
  std::vector<std::string> expected;
  for (int key = 0; key < 32; ++key) expected.push_back("process midi " + std::to_string(key));
  for (const keel::MidiMsg& m : releases) expected.push_back("process midi " + std::to_string(m.data1));
  expected.push_back("block 64");
  EXPECT_EQ(app.log, expected);

  // A release that arrives once the queue has room again keeps its place after what came before it.
  app.log.clear();
  ASSERT_TRUE(app.PushDeviceMidi(keel::MidiMsg(0, 0x90, 5, 100)));
  ASSERT_TRUE(app.PushDeviceMidi(keel::MidiMsg(0, 0x80, 5, 0)));
  app.RunDeviceBlock(nullptr, outs, 64);
  EXPECT_EQ(app.log, (std::vector<std::string>{"process midi 5", "process midi 5", "block 64"}));
}

// Only the notes that reach the processor: which keys are down at the end.
class KeyTrackingApp : public keel::IKeelAPP {
public:
  explicit KeyTrackingApp(Link& link) : IKeelAPP(keel::InstanceInfo{&link}, SmallConfig()) {}
  std::set<int> down;
  void ProcessMidiMsg(const keel::MidiMsg& m) override {
    if ((m.status & 0xF0) == 0x90 && m.data2 > 0)
      down.insert(m.data1);
    else if ((m.status & 0xF0) == 0x80 || (m.status & 0xF0) == 0x90)
      down.erase(m.data1);
    else if ((m.status & 0xF0) == 0xB0 && m.data1 == 123)
      down.clear();
  }
  void ProcessBlock(double**, double**, int) override {}
};

TEST_F(IKeelAPPTest, ReleasesBeyondTheirOwnRoomReleaseThePedalAndEveryNoteOfTheirChannel) {
  app.SetBlockSize(64);
  for (int i = 0; i < 32; ++i)
    ASSERT_TRUE(app.PushDeviceMidi(keel::MidiMsg(0, 0x92, 1, 100)));
  int held = 0;
  while (held < 10000 && app.PushDeviceMidi(keel::MidiMsg(0, 0x92, 1, 0)))
    ++held;
  EXPECT_EQ(10000, held) << "a release is never refused";
  std::vector<double> left(64), right(64);
  double* outs[2] = {left.data(), right.data()};
  app.log.clear();
  app.RunDeviceBlock(nullptr, outs, 64);
  ASSERT_GE(app.log.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{"process midi 64", "process midi 123", "block 64"}),
            std::vector<std::string>(app.log.end() - 3, app.log.end()));
}

TEST(IKeelAPPThreads, AnInputThreadFasterThanTheAudioThreadLeavesNoKeyDown) {
  Link link;
  KeyTrackingApp app(link);
  app.SetBlockSize(64);
  std::atomic<bool> done{false};
  std::thread input([&] {
    // Chords of 24 keys on and off, over and over: the queue of 32 overflows all the time.
    for (int round = 0; round < 2000; ++round) {
      for (int key = 0; key < 24; ++key)
        app.PushDeviceMidi(keel::MidiMsg(0, 0x90, uint8_t(key + round % 7), 100));
      for (int key = 0; key < 24; ++key)
        app.PushDeviceMidi(keel::MidiMsg(0, 0x80, uint8_t(key + round % 7), 0));
    }
    done.store(true, std::memory_order_release);
  });
  std::vector<double> left(64), right(64);
  double* outs[2] = {left.data(), right.data()};
  while (!done.load(std::memory_order_acquire))
    app.RunDeviceBlock(nullptr, outs, 64);
  input.join();
  app.RunDeviceBlock(nullptr, outs, 64);
  EXPECT_TRUE(app.down.empty()) << app.down.size() << " keys left down";
}

TEST_F(IKeelAPPTest, MidiOutputNeedsAnOpenSender) {
  EXPECT_FALSE(app.SendMidiMsg(keel::MidiMsg(0, 0x90, 60, 100)));
  keel::MidiOutputSender sender;
  link.sender = &sender;
  EXPECT_FALSE(app.SendMidiMsg(keel::MidiMsg(0, 0x90, 60, 100))) << "sender not started";
  std::vector<std::vector<uint8_t>> sent;
  sender.Start([&](const uint8_t* b, size_t n) { sent.emplace_back(b, b + n); });
  EXPECT_TRUE(app.SendMidiMsg(keel::MidiMsg(0, 0xC0, 5, 0)));
  const uint8_t sysex[] = {0xF0, 0x7E, 0xF7};
  EXPECT_TRUE(app.SendSysEx(keel::SysExMsg(0, sysex, 3)));
  sender.Stop();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].size(), 2u);
  EXPECT_EQ(sent[1].size(), 3u);
}

} // namespace

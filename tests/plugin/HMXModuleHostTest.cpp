// The built module as a host loads it: dlopen, the seven exports, the real processor behind them, and a
// real dlclose. Each case drives the module through the host program's own parts.
#include "LoadedModule.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using hmxhost::HostInstance;
using keel::HMX_MIDIPacket;

using plugintest::kFrames;
using plugintest::LoadedModule;

// The folders the module writes into: log, settings, default controller map.
fs::path Home() {
  const char* home = std::getenv("VLM_TEST_HOME");
  return home ? fs::path(home) : fs::temp_directory_path() / "vlm-plugin-host-test";
}
fs::path LogPath() {
  return Home() / "tmp" / "velmora.log";
}
fs::path DefaultMapPath() {
  return Home() / "config" / "Velmora" / "default-midi-map.vmm";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

HMX_MIDIPacket Packet(std::initializer_list<uint8_t> bytes, uint32_t timestamp = 0) {
  HMX_MIDIPacket packet;
  packet.timestamp = timestamp;
  packet.length = uint32_t(bytes.size());
  std::copy(bytes.begin(), bytes.end(), packet.data);
  return packet;
}

// A system-exclusive message as a host carries it: packets of up to 4 bytes.
std::vector<HMX_MIDIPacket> SysExPackets(const std::vector<uint8_t>& message) {
  std::vector<HMX_MIDIPacket> packets;
  for (size_t at = 0; at < message.size(); at += 4) {
    HMX_MIDIPacket packet;
    packet.length = uint32_t(std::min<size_t>(4, message.size() - at));
    std::copy_n(message.begin() + std::ptrdiff_t(at), packet.length, packet.data);
    packets.push_back(packet);
  }
  return packets;
}

float Peak(const float* samples, int from, int to) {
  float peak = 0.0f;
  for (int i = from; i < to; ++i)
    peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

// Lets the module's 20 ms UI timer run, as a host's main loop does.
void RunMainLoop(std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// A whole host session: load, an instance that plays and saves its state, release, shut down, unload.
void LoadPlayAndUnload() {
  LoadedModule loaded;
  if (auto instance = loaded.NewInstance()) {
    instance->Render({Packet({0x90, 60, 100})});
    instance->Render({Packet({0x80, 60, 0})});
    std::string error;
    instance->SaveState(error);
  }
}

class HMXModuleHostTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    fs::create_directories(Home() / "tmp");
    fs::create_directories(DefaultMapPath().parent_path());
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // each death test starts from a fresh process
  }
  void SetUp() override {
    fs::remove(DefaultMapPath());
    instance = loaded.NewInstance();
    ASSERT_NE(instance, nullptr);
  }
  void TearDown() override { instance.reset(); }

  LoadedModule loaded;
  std::unique_ptr<HostInstance> instance;
};

// The host goes on with its own work for a while after the unload, then ends normally.
void UnloadThenKeepRunning() {
  LoadPlayAndUnload();
  RunMainLoop(std::chrono::milliseconds(1500));
  std::exit(0);
}

void UnloadThenAbort() {
  LoadPlayAndUnload();
  std::abort();
}

// Exit code 42 when the module touched neither the host's signal handlers nor its process because of the
// program's dump variables (which would end the host).
void CreateWithDumpVariablesSet() {
  const fs::path dump = Home() / "tmp" / "schema-dump.json";
  fs::remove(dump);
  setenv("VLM_DUMP_SCHEMA_PATH", dump.c_str(), 1);
  setenv("VLM_DUMP_CURVES_PATH", dump.c_str(), 1);
  const int signals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};
  struct sigaction before[std::size(signals)] = {};
  for (size_t i = 0; i < std::size(signals); ++i)
    sigaction(signals[i], nullptr, &before[i]);
  {
    LoadedModule loaded;
    auto instance = loaded.NewInstance();
    if (!instance || fs::exists(dump))
      std::exit(3);
    for (size_t i = 0; i < std::size(signals); ++i) {
      struct sigaction now = {};
      sigaction(signals[i], nullptr, &now);
      if (now.sa_handler != before[i].sa_handler)
        std::exit(4); // the module installed a handler of its own in the host
    }
  }
  std::exit(42); // not 0: that is what the program's dump mode exits with
}

TEST(HMXModuleUnloadTest, HostKeepsRunningAfterTheModuleIsUnloaded) {
  EXPECT_EXIT(UnloadThenKeepRunning(), ::testing::ExitedWithCode(0), "");
}

TEST(HMXModuleUnloadTest, AbortAfterUnloadIsTheHostsOwnAbort) {
  EXPECT_EXIT(UnloadThenAbort(), ::testing::KilledBySignal(SIGABRT), "");
}

TEST(HMXModuleUnloadTest, ModuleLeavesTheHostsSignalHandlersAndEnvironmentAlone) {
  EXPECT_EXIT(CreateWithDumpVariablesSet(), ::testing::ExitedWithCode(42), "");
}

TEST_F(HMXModuleHostTest, GrowingBlockKeepsNotesSoundingAndPlaysItsNoteOns) {
  instance->Render({Packet({0x90, 60, 110})});
  for (int b = 0; b < 3; ++b)
    instance->Render({});
  const std::string logBefore = ReadFile(LogPath());

  instance->SetFrames(4 * kFrames);
  instance->Render({Packet({0x90, 67, 110})});
  EXPECT_GT(Peak(instance->Left(), 0, 64), 0.0f) << "the held note was cut when the block grew";
  EXPECT_EQ(ReadFile(LogPath()), logBefore) << "the real-time call wrote the log";

  // A fresh instance whose first block is longer than any before: its note-on sounds.
  auto fresh = loaded.NewInstance();
  ASSERT_NE(fresh, nullptr);
  fresh->SetFrames(3 * kFrames);
  EXPECT_GT(fresh->Render({Packet({0x90, 64, 110})}), 0.0f) << "the grown block's note-on was dropped";
  // Later blocks of the grown size and smaller ones keep sounding.
  EXPECT_GT(fresh->Render({}), 0.0f);
  fresh->SetFrames(100);
  EXPECT_GT(fresh->Render({}), 0.0f);
}

TEST_F(HMXModuleHostTest, StateChangedBetweenSizeAndFillStaysInTheSizedRecord) {
  std::string error;
  // A controller assignment that lengthens the state (the assignment of a parameter kept in the
  // state's text extension), then another that shortens it again.
  const std::vector<uint8_t> grown =
      instance->SaveState(error, [&] { instance->Effect()->UpdateParamFromHost("371", 1.0, 0); });
  EXPECT_FALSE(grown.empty() && error.find("past") != std::string::npos) << error;
  if (grown.empty())
    EXPECT_NE(error.find("-20008"), std::string::npos) << error;

  const std::vector<uint8_t> shrunk =
      instance->SaveState(error, [&] { instance->Effect()->UpdateParamFromHost("371", 0.0, 0); });
  if (shrunk.empty())
    EXPECT_NE(error.find("-20008"), std::string::npos) << error;

  // What a host restores from such a chunk is a whole state.
  const std::vector<uint8_t> saved = !grown.empty() ? grown : instance->SaveState(error);
  ASSERT_FALSE(saved.empty()) << error;
  auto other = loaded.NewInstance();
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->RestoreState(saved, error)) << error;
  EXPECT_EQ(other->SaveState(error), saved);
}

TEST_F(HMXModuleHostTest, CompareActiveChunkFindsTheStateItJustSaved) {
  std::string error;
  std::vector<uint8_t> saved = instance->SaveState(error);
  ASSERT_FALSE(saved.empty()) << error;
  bool equal = false;
  EXPECT_EQ(
      instance->Effect()->CompareActiveChunk(reinterpret_cast<const PlugInChunk*>(saved.data()), &equal),
      HMX_SUCCESS);
  EXPECT_TRUE(equal);
  instance->Effect()->UpdateParamFromHost("10", 0.77, 0);
  EXPECT_EQ(
      instance->Effect()->CompareActiveChunk(reinterpret_cast<const PlugInChunk*>(saved.data()), &equal),
      HMX_SUCCESS);
  EXPECT_FALSE(equal);
}

TEST_F(HMXModuleHostTest, TwoByteMessagesLeaveWithTheirOwnLength) {
  // A program change carries one data byte; the packet's third byte is whatever the host left there.
  HMX_MIDIPacket programChange = Packet({0xC0, 5, 0x7F});
  programChange.length = 2;
  instance->Render({programChange, Packet({0xD0, 40})});
  std::vector<HMX_MIDIPacket> out = instance->MidiOut();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].length, 2u);
  EXPECT_EQ(out[0].data[0], 0xC0);
  EXPECT_EQ(out[0].data[1], 5);
  EXPECT_EQ(out[1].length, 2u);
  EXPECT_EQ(out[1].data[0], 0xD0);
}

TEST_F(HMXModuleHostTest, PacketisedSysExReachesTheMks80Receiver) {
  // An MKS-80 handshake reply (6 bytes) split over two blocks' packets, with a short message between
  // the blocks; then a 10-byte message in one block.
  const std::vector<uint8_t> reply = {0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7};
  std::vector<HMX_MIDIPacket> packets = SysExPackets(reply);
  instance->Render({packets[0]});
  instance->Render({packets[1]});
  RunMainLoop(std::chrono::milliseconds(200));
  EXPECT_NE(ReadFile(LogPath()).find("first sysex accepted from host MIDI in (6 bytes)"), std::string::npos);
}

TEST_F(HMXModuleHostTest, RenderAfterTeardownDoesNothing) {
  instance->Render({Packet({0x90, 60, 110})});
  instance->Teardown();
  EXPECT_EQ(instance->Render({Packet({0x90, 64, 110})}), 0.0f);
  EXPECT_EQ(Peak(instance->Right(), 0, instance->Frames()), 0.0f);
}

TEST_F(HMXModuleHostTest, MidiOutputWithoutAnOutputNodeIsDiscarded) {
  instance->SetMidiOutputNode(false);
  for (int b = 0; b < 50; ++b)
    instance->Render({Packet({0x90, 60, 100}), Packet({0x80, 60, 0})});
  instance->SetMidiOutputNode(true);
  instance->Render({Packet({0xB0, 1, 64})});
  ASSERT_EQ(instance->MidiOut().size(), 1u);
  EXPECT_EQ(instance->MidiOut()[0].data[0], 0xB0);
}

TEST_F(HMXModuleHostTest, HostParametersStartFromTheProcessorsValues) {
  // The user's default map gives parameter 10 to controller 74; its assignment is HMX parameter 200.
  std::ofstream(DefaultMapPath()) << R"({"kind":"midi-map","assignments":[{"cc":74,"paramIdx":10}]})";
  auto mapped = loaded.NewInstance();
  ASSERT_NE(mapped, nullptr);
  double normalized = -1.0;
  ASSERT_EQ(mapped->Effect()->ParamNormalized("200", &normalized), HMX_SUCCESS);
  hmxhost::HostString text;
  mapped->Effect()->ParamValueText("200", &text, 32);
  EXPECT_EQ(std::string(text.Text()).rfind("74", 0), 0u) << text.Text();
  std::string error;
  const std::vector<uint8_t> saved = mapped->SaveState(error);
  ASSERT_FALSE(saved.empty()) << error;
  // Every host parameter reads what the processor holds: a restored copy reports the same values.
  auto copy = loaded.NewInstance();
  ASSERT_NE(copy, nullptr);
  ASSERT_TRUE(copy->RestoreState(saved, error)) << error;
  int32_t count = 0;
  mapped->Effect()->ParamCount(&count);
  for (int32_t i = 0; i < count; ++i) {
    hmxhost::HostString id;
    mapped->Effect()->ParamIDAt(i, &id);
    double a = -1.0, b = -2.0;
    mapped->Effect()->ParamNormalized(id.Text(), &a);
    copy->Effect()->ParamNormalized(id.Text(), &b);
    EXPECT_NEAR(a, b, 1e-9) << "parameter " << id.Text();
  }
}

TEST_F(HMXModuleHostTest, ModuleAssertionsReachTheHost) {
  // A private-data block of the wrong size is one the module asserts on.
  alignas(8) unsigned char wrong[16] = {};
  instance->Effect()->InitFieldData(keel::kFieldPrivateData, wrong, sizeof wrong);
  const std::lock_guard<std::mutex> lock(loaded.host.record.mutex);
  EXPECT_EQ(loaded.host.record.assertions.size(), 1u);
}

} // namespace

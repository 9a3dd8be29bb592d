// The processor's state chunk: a full round trip, chunks cut anywhere, hostile lengths and malformed
// extensions, and what a restore leaves for the idle work.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#include "common/EParams.h"
#include "processor/editor/EditorTags.h"
#include "processor/state/PluginState.h"
#include "tests/processor/editor/EditorTestSupport.h"

namespace {

using namespace editortest;
using namespace vlm;
using nlohmann::json;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

class State : public ::testing::Test {
protected:
  static void SetUpTestSuite() { rec = new RecordingProcessor; }
  static void TearDownTestSuite() {
    delete rec;
    rec = nullptr;
  }
  void SetUp() override { Defaults(); }
  static Velmora& p() { return *rec->processor; }
  static void Set(int index, double value) {
    keel::IParam* param = p().GetParam(index);
    param->Set(param->Constrain(value));
    p().OnParamChange(index);
  }
  static void Defaults() {
    for (int i = 0; i < kNumParams; ++i)
      Set(i, p().GetParam(i)->GetDefault());
    rec->Send(MsgTag::kBankState, "");
    p().TakeStateRestored();
  }
  // Every parameter somewhere other than its default, spread over its range.
  static void Scatter() {
    for (int i = 0; i < kNumSoundParams; ++i)
      p().GetParam(i)->Set(p().GetParam(i)->FromNormalized((i * 37 % 101) / 100.0));
    for (int i = 0; i < kNumSoundParams; ++i)
      Set(CcMapParam(i), i % 3 == 0 ? -1 : (i * 7) % 128);
    for (int i = 0; i < kNumSoundParams; ++i)
      p().OnParamChange(i);
  }
  static std::string Bytes(const keel::ByteChunk& c) {
    return std::string(reinterpret_cast<const char*>(c.GetData()), static_cast<size_t>(c.Size()));
  }
  static keel::ByteChunk Chunk(const std::string& bytes) {
    keel::ByteChunk c;
    c.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    return c;
  }
  static keel::ByteChunk StateChunk(const PluginState& s) {
    keel::ByteChunk c;
    EXPECT_TRUE(WritePluginState(c, s));
    return c;
  }
  static PluginState DefaultState() {
    PluginState s;
    for (int k = 0; k < kStateValueCount; ++k)
      s.values[static_cast<size_t>(k)] = p().GetParam(StateValueParam(k))->GetDefault();
    return s;
  }
  static inline RecordingProcessor* rec = nullptr;
};

TEST_F(State, ARoundTripRestoresEveryValueAssignmentTheBankStateThePortNamesAndTheExtension) {
  // The names of the open dedicated ports, as the port code publishes them.
  p().PublishOpenMidiPortNames("MKS-80 In", "MKS-80 Out");

  Scatter();
  const std::string bank = R"({"expandedTones":true,"patch":"Brass"})";
  ASSERT_TRUE(rec->Send(MsgTag::kBankState, bank));
  std::vector<double> saved(kNumParams);
  for (int i = 0; i < kNumParams; ++i)
    saved[static_cast<size_t>(i)] = p().GetParam(i)->Value();

  keel::ByteChunk chunk;
  chunk.PutStr("before"); // the framework's own bytes may come first
  const int start = chunk.Size();
  ASSERT_TRUE(p().SerializeState(chunk));

  Defaults();
  // A different state first: defaults, no bank state, empty port names.
  const keel::ByteChunk other = StateChunk(DefaultState());
  ASSERT_EQ(other.Size(), p().UnserializeState(other, 0));
  EXPECT_EQ("", p().GetRequestedMidiInName());
  ASSERT_EQ(chunk.Size(), p().UnserializeState(chunk, start));

  for (int i = 0; i < kNumParams; ++i) {
    const double now = p().GetParam(i)->Value();
    if ((i >= 181 && i < kNumSoundParams) || i >= 370) {
      // Through their normalized values in the extension.
      EXPECT_NEAR(p().GetParam(i)->ToNormalized(saved[static_cast<size_t>(i)]),
                  p().GetParam(i)->GetNormalized(), 1e-12)
          << i;
    } else {
      EXPECT_EQ(0, std::memcmp(&saved[static_cast<size_t>(i)], &now, sizeof now)) << i; // bit for bit
    }
  }
  for (int i = 0; i < kNumSoundParams; ++i)
    EXPECT_EQ(i % 3 == 0 ? -1 : (i * 7) % 128, p().GetCcAssignment(i)) << i;
  EXPECT_EQ(bank, p().GetBankStateJson());
  EXPECT_TRUE(p().IsExpandedTones());
  EXPECT_EQ(1000, p().GetMinHeight());
  EXPECT_EQ("MKS-80 In", p().GetRequestedMidiInName());
  EXPECT_EQ("MKS-80 Out", p().GetRequestedMidiOutName());
  EXPECT_TRUE(p().TakePortRestorePending());
  EXPECT_TRUE(p().TakeStateRestored());
  // Closed ports are saved as empty names.
  p().PublishOpenMidiPortNames("", "");
  keel::ByteChunk closed;
  ASSERT_TRUE(p().SerializeState(closed));
  const PluginStateRead read = ReadPluginState(closed, 0);
  EXPECT_EQ("", read.midiInName.value_or("?"));
  EXPECT_EQ("", read.midiOutName.value_or("?"));
}

TEST_F(State, TheExtensionHoldsTheEightSyncParametersAndOnlyTheirAssignedControllers) {
  Set(kLfo2Sync, 1);
  Set(CcMapParam(kLfo2Sync), 5);
  Set(CcMapParam(kUpperLfoSync), 127);
  const json ext = json::parse(p().BuildStateExtensionJson());
  EXPECT_EQ(json::parse(R"({"patch.lfo2Sync":5,"upper.lfo1.sync":127})"), ext["ccMap"]);
  EXPECT_EQ(8u, ext["params"].size());
  EXPECT_EQ(1.0, ext["params"]["patch.lfo2Sync"]);
  EXPECT_EQ(2, ext["v"]);
  EXPECT_EQ(0u, p().BuildStateExtensionJson().find("{\"ccMap\":{\"patch.lfo2Sync\":5,")); // compact, sorted
  Defaults();
  EXPECT_EQ(std::string::npos, p().BuildStateExtensionJson().find("ccMap"));
}

TEST_F(State, MalformedOrMissingExtensionsResetTheEightParametersToTheirDefaults) {
  for (const char* text : {"", "garbage", "[]", "null", R"({"params":[1],"ccMap":7})",
                           R"({"params":{"patch.lfo2Sync":"1","upper.lfo1.syncDiv":true},)"
                           R"("ccMap":{"patch.lfo2Sync":128,"upper.lfo1.sync":-1,"lower.lfo1.sync":5.0}})"}) {
    Set(kLfo2Sync, 1);
    Set(CcMapParam(kLfo2Sync), 5);
    Set(CcMapParam(kLowerLfoSync), 6);
    PluginState s = DefaultState();
    s.midiInName = "in";
    s.extension = text;
    const keel::ByteChunk c = StateChunk(s);
    EXPECT_EQ(c.Size(), p().UnserializeState(c, 0)) << text;
    EXPECT_EQ(p().GetParam(kLfo2Sync)->GetDefault(), p().GetParam(kLfo2Sync)->Value()) << text;
    EXPECT_EQ(-1, p().GetCcAssignment(kLfo2Sync)) << text;
    EXPECT_EQ(-1, p().GetCcAssignment(kLowerLfoSync)) << text;
  }
  // Out-of-range numbers are held to 0..1.
  PluginState s = DefaultState();
  s.midiInName = "in";
  s.extension = R"({"params":{"patch.lfo2SyncDiv":7.5,"patch.lfo2Sync":-3}})";
  p().UnserializeState(StateChunk(s), 0);
  EXPECT_EQ(1.0, p().GetParam(kLfo2SyncDiv)->GetNormalized());
  EXPECT_EQ(0.0, p().GetParam(kLfo2Sync)->GetNormalized());
}

TEST_F(State, AShortValueBlockAppliesWhatIsThereAndLeavesTheRestOfTheStateAlone) {
  ASSERT_TRUE(rec->Send(MsgTag::kBankState, R"({"keep":1})"));
  std::string values(8 * 5, '\0');
  const double gain = -6.0;
  std::memcpy(values.data(), &gain, 8); // "Master"
  EXPECT_EQ(-1, p().UnserializeState(Chunk(values + "abc"), 0));
  EXPECT_EQ(-6.0, p().GetParam(kMaster)->Value());
  EXPECT_EQ(R"({"keep":1})", p().GetBankStateJson());
  EXPECT_TRUE(p().TakeStateRestored());
}

TEST_F(State, OlderChunksRestoreWithoutPortsOrExtension) {
  Set(CcMapParam(kLfo2Sync), 9);
  PluginState s = DefaultState();
  s.bankState = R"({"a":1})";
  const std::string full = Bytes(StateChunk(s));
  // Values and bank text only: the ports are left as they are (no restore is asked for).
  const std::string valuesAndBank = full.substr(0, 2896 + 4 + s.bankState.size());
  EXPECT_EQ(static_cast<int>(valuesAndBank.size()), p().UnserializeState(Chunk(valuesAndBank), 0));
  EXPECT_EQ(R"({"a":1})", p().GetBankStateJson());
  EXPECT_FALSE(p().IsPortRestorePending());
  EXPECT_EQ(-1, p().GetCcAssignment(kLfo2Sync));
  // Values only: the bank state is cleared with the expanded height.
  ASSERT_TRUE(rec->Send(MsgTag::kBankState, R"({"expandedTones":true})"));
  EXPECT_EQ(2896, p().UnserializeState(Chunk(full.substr(0, 2896)), 0));
  EXPECT_EQ("", p().GetBankStateJson());
  EXPECT_FALSE(p().IsExpandedTones());
  EXPECT_EQ(650, p().GetMinHeight());
}

TEST_F(State, ChunksCutAnywhereOrWithHostileLengthsNeverReadPastTheirEnd) {
  PluginState s = DefaultState();
  s.bankState = R"({"expandedTones":true})";
  s.midiInName = "in";
  s.midiOutName = "out";
  s.extension = p().BuildStateExtensionJson();
  const std::string full = Bytes(StateChunk(s));
  for (size_t size = 0; size <= full.size(); size += size < 2880 ? 97 : 1) {
    const int at = p().UnserializeState(Chunk(full.substr(0, size)), 0);
    EXPECT_LE(at, static_cast<int>(size)) << size;
    if (size < 2896) {
      EXPECT_EQ(-1, at) << size;
    }
  }
  const std::string values = full.substr(0, 2896);
  auto int32 = [](std::int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  for (const std::int32_t length : {-1, INT_MIN, INT_MAX, 100000}) {
    for (const std::string& tail :
         {int32(length) + "x", int32(2) + "{}" + int32(length) + "in",
          int32(0) + int32(2) + "in" + int32(length), int32(0) + int32(0) + int32(0) + int32(length) + "{"}) {
      const keel::ByteChunk c = Chunk(values + tail);
      const int at = p().UnserializeState(c, 0);
      EXPECT_LE(at, c.Size()) << length;
    }
  }
  EXPECT_EQ(-1, p().UnserializeState(Chunk(full), INT_MAX));
  EXPECT_EQ(-1, p().UnserializeState(Chunk(full), -5));
}

} // namespace

TEST(StateRestoreThreads, TheIdleWorkSeesTheRestoreOnlyOnceItsLastValueIsWritten) {
  // The host restores on its own thread while the UI thread's idle work watches the restored flag: what
  // the idle work reads after taking the flag is the restored state, never the one before it.
  RecordingProcessor recorder;
  Velmora& p = *recorder.processor;
  const auto chunkWith = [&p](double syncDiv) {
    PluginState s;
    for (int k = 0; k < kStateValueCount; ++k)
      s.values[static_cast<size_t>(k)] = p.GetParam(StateValueParam(k))->GetDefault();
    s.bankState = R"({"bank":1})";
    s.midiInName = "in";
    s.extension = R"({"params":{"patch.lfo2SyncDiv":)" + std::to_string(syncDiv) + "},\"v\":2}";
    keel::ByteChunk c;
    EXPECT_TRUE(WritePluginState(c, s));
    return c;
  };
  const keel::ByteChunk chunks[] = {chunkWith(0.0), chunkWith(1.0)};
  p.TakeStateRestored();
  std::atomic<int> taken{0};
  std::atomic<double> seen{-1.0};
  std::atomic<bool> stop{false};
  std::thread idle([&] {
    while (!stop.load()) {
      if (p.TakeStateRestored()) {
        seen.store(p.GetParam(kLfo2SyncDiv)->GetNormalized());
        taken.fetch_add(1);
      }
    }
  });
  int stale = 0;
  for (int i = 0; i < 400; ++i) {
    const int before = taken.load();
    p.UnserializeState(chunks[i % 2], 0);
    while (taken.load() == before)
      std::this_thread::yield();
    stale += seen.load() != static_cast<double>(i % 2) ? 1 : 0;
  }
  stop.store(true);
  idle.join();
  EXPECT_EQ(stale, 0);
}

TEST_F(State, TheIdleRefreshAfterARestoreSendsTheBankTextWhenThereIsOne) {
  PluginState s = DefaultState();
  s.bankState = R"({"patch":{"name":"Brass"}})";
  p().UnserializeState(StateChunk(s), 0);
  rec->Clear();
  p().OnIdle();
  auto restores = rec->Tagged(MsgTag::kBankStateRestore);
  ASSERT_EQ(restores.size(), 1u);
  EXPECT_EQ(restores[0].payload, s.bankState);
  // Once only, and never for an empty text.
  rec->Clear();
  p().OnIdle();
  EXPECT_TRUE(rec->Tagged(MsgTag::kBankStateRestore).empty());
  s.bankState.clear();
  p().UnserializeState(StateChunk(s), 0);
  p().OnIdle();
  EXPECT_TRUE(rec->Tagged(MsgTag::kBankStateRestore).empty());
}

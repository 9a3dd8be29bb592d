// The effect-parameters base answers the host's by-ID parameter calls, round-trips its controls chunk,
// rejects chunks it cannot read, dispatches notifications and keeps exceptions away from the host.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectParameters.h"
#include "FakeHostObject.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFAutomation.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CLinearTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CNumberDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParameter.h"
#include "RecordingHostServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

// The host's controller object. Like a real host, its automation confirms every requested value by
// sending it back through UpdateParamFromHost.
class FakeEffectHost : public FakeHostObject<HMX_IHCFController, HMX_IHCFAutomation> {
public:
  FakeEffectHost() {
    Offer(HMX_IID_Controller_V1, static_cast<HMX_IHCFController*>(this));
    Offer(HMX_IID_Automation_V1, static_cast<HMX_IHCFAutomation*>(this));
  }
  HMX_Result RegisterParam(const char* id) override { return Log("register", id); }
  HMX_Result UnregisterParam(const char* id) override { return Log("unregister", id); }
  HMX_Result RequestValue(const char* id, double n) override {
    Log("request", id);
    return effect ? effect->UpdateParamFromHost(id, n, 0) : 0;
  }
  HMX_Result ReportValue(const char*, double) override { return 0; }
  HMX_Result RequestTouch(const char* id) override { return Log("touch", id); }
  HMX_Result RequestRelease(const char* id) override { return Log("release", id); }
  HMX_Result PostFieldPacket(int32_t, const void*, uint32_t) override { return Log("post", ""); }

  HMX_CEffectParameters* effect = nullptr;
  std::vector<std::string> calls;

private:
  HMX_Result Log(const char* what, const char* id) {
    calls.push_back(std::string(what) + " " + id);
    return 0;
  }
};

// Parameters: an int, a double, a bool, the master bypass and the preview switch.
class StubEffect : public HMX_CEffectParameters {
public:
  HMX_Result InitEffect() override {
    if (throwInInit)
      throw std::runtime_error("no memory for parameters");
    auto* cutoff =
        new HMX_CParameter<int>("1", "Cutoff Frequency", 64, HMX_CLinearTaperDelegate<int, 1>(0, 127),
                                HMX_CNumberDisplayDelegate<int, 0, 0>(), true);
    cutoff->AddShortName("Cut\nCutoff");
    Parameters().AddParameter(cutoff);
    Parameters().AddParameter(new HMX_CParameter<double>("2", "Level", 2.5,
                                                         HMX_CLinearTaperDelegate<double, 1000>(0.0, 10.0),
                                                         HMX_CNumberDisplayDelegate<double, 2, 0>(), true));
    Parameters().AddParameter(Switch("3", "Hold"));
    Parameters().AddParameter(Switch(kMasterBypassID, "Master Bypass"));
    Parameters().AddParameter(Switch(kPreviewID, "Preview"));
    return HMX_SUCCESS;
  }
  static HMX_IParameter* Switch(const char* id, const char* name) {
    return new HMX_CParameter<bool>(id, name, false, HMX_CBinaryTaperDelegate<bool>(),
                                    HMX_CBinaryDisplayDelegate<bool>("off", "on"), false);
  }
  bool throwInInit = false;
};

class EffectParametersTest : public ::testing::Test {
protected:
  void SetUp() override {
    effect = new StubEffect;
    effect->AddRef(); // the host's reference
    host.effect = effect;
    ASSERT_EQ(effect->Initialize(host.Unknown()), HMX_SUCCESS);
  }
  void TearDown() override {
    host.effect = nullptr;
    effect->TeardownEffect();
    effect->Release();
  }
  double Normalized(const char* id) {
    double n = -1;
    EXPECT_EQ(effect->ParamNormalized(id, &n), HMX_SUCCESS);
    return n;
  }
  // A chunk record with room for size data bytes.
  static std::vector<uint8_t> ChunkBuffer(uint32_t size) {
    return std::vector<uint8_t>(PlugInChunk::kDataOffset + size + 8, 0);
  }
  static PlugInChunk* AsChunk(std::vector<uint8_t>& buffer) {
    return reinterpret_cast<PlugInChunk*>(buffer.data());
  }
  std::vector<uint8_t> SavedChunk() {
    uint32_t size = 0;
    EXPECT_EQ(effect->ChunkByteSize(HMX_CEffectParameters::kControlsChunkID, &size), HMX_SUCCESS);
    std::vector<uint8_t> buffer = ChunkBuffer(size);
    AsChunk(buffer)->mChunkID = HMX_CEffectParameters::kControlsChunkID;
    EXPECT_EQ(effect->FillChunk(HMX_CEffectParameters::kControlsChunkID, AsChunk(buffer)), HMX_SUCCESS);
    return buffer;
  }

  RecordingHostServices services;
  FakeEffectHost host;
  StubEffect* effect = nullptr;
};

TEST_F(EffectParametersTest, AnswersItsFourInterfacesAndLeavesTheRestToTheObjectBase) {
  const int32_t livesBefore = CHCFUnknown::LiveObjectCount();
  for (const HMX_GUID& iid : {HMX_IID_EffectParameters, HMX_IID_EffectParameters_V2,
                              HMX_IID_EffectParameters_V3, HMX_IID_EffectParameters_V4}) {
    void* out = nullptr;
    ASSERT_EQ(effect->QueryInterface(iid, &out), HMX_SUCCESS);
    EXPECT_EQ(out, static_cast<HMX_IHCFEffectParameters_V4*>(effect));
    effect->Release();
  }
  void* out = &out;
  EXPECT_EQ(effect->QueryInterface(HMX_IID_Controller_V1, &out), HMX_HCF_E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(effect->RefCount(), 1);
  EXPECT_EQ(CHCFUnknown::LiveObjectCount(), livesBefore);
}

TEST_F(EffectParametersTest, AnswersByIDQueriesAndRefusesUnknownIDs) {
  int32_t count = 0;
  EXPECT_EQ(effect->ParamCount(&count), HMX_SUCCESS);
  EXPECT_EQ(count, 5);
  // The bypass is registered, so it names itself and stays out of chunks.
  HMX_CString bypass;
  EXPECT_EQ(effect->MasterBypassParamID(&bypass), HMX_SUCCESS);
  EXPECT_STREQ(bypass.Text(), "MasterBypassID");
  EXPECT_EQ(effect->NumChunkedParameters(), 4);

  HMX_CString name("stale");
  EXPECT_EQ(effect->ParamName("99", &name), HMX_SUCCESS) << "an unknown name is the empty text";
  EXPECT_STREQ(name.Text(), "");
  bool automatable = true;
  EXPECT_EQ(effect->ParamIsAutomatable("99", &automatable), HMX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_FALSE(automatable);
  int32_t index = 0;
  EXPECT_EQ(effect->ParamIndexOf("99", &index), HMX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(effect->ParamIndexOf("3", &index), HMX_SUCCESS);
  EXPECT_EQ(index, 2);
  HMX_CString id("stale");
  EXPECT_EQ(effect->ParamIDAt(5, &id), HMX_ERROR_INVALID_PARAMETER_ID);
  EXPECT_STREQ(id.Text(), "");
  int32_t steps = 0;
  EXPECT_EQ(effect->ParamStepCount("1", &steps), HMX_SUCCESS);
  EXPECT_EQ(steps, 128);
  int32_t info = 7;
  EXPECT_EQ(effect->ParamValueInfo("1", 0, &info), HMX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(info, 0);

  double normalized = 0;
  EXPECT_EQ(effect->ParamNormalizedFromText("1", &normalized, HMX_CString("127")), HMX_SUCCESS);
  EXPECT_DOUBLE_EQ(normalized, 1.0);
  EXPECT_EQ(effect->ParamNormalizedFromText("1", &normalized, HMX_CString("loud")),
            HMX_ERROR_INVALID_STRING_CONVERSION);
  HMX_CString text;
  EXPECT_EQ(effect->ParamTextFromNormalized("2", 0.5, &text, 10), HMX_SUCCESS);
  EXPECT_STREQ(text.Text(), "5.00");
  EXPECT_EQ(effect->ParamValueText("1", &text, 0), HMX_SUCCESS);
  EXPECT_STREQ(text.Text(), "64");
}

TEST_F(EffectParametersTest, NameFittingKeepsTheLongestLineWithinTheLimit) {
  struct Case {
    int32_t limit;
    const char* expected;
  };
  for (const Case& c :
       {Case{20, "Cutoff Frequency"}, Case{8, "Cutoff"}, Case{4, "Cut"}, Case{2, "Cu"}, Case{0, ""}}) {
    HMX_CString out("stale");
    EXPECT_EQ(effect->ParamNameFitting("1", &out, c.limit), HMX_SUCCESS);
    EXPECT_STREQ(out.Text(), c.expected) << "limit " << c.limit;
  }
  EXPECT_EQ(effect->ParamNameFitting("1", nullptr, 4), HMX_ERROR_INVALID_STRING_CONVERSION);
}

TEST_F(EffectParametersTest, ValuesChangeOnlyWhenTheHostConfirmsThemAndCountTheChange) {
  int32_t changes = -1;
  effect->ChangeCount(&changes);
  const int32_t start = changes;

  host.calls.clear();
  EXPECT_EQ(effect->SetParamNormalized("1", 1.0), HMX_SUCCESS);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"touch 1", "request 1", "release 1"}));
  EXPECT_DOUBLE_EQ(Normalized("1"), 1.0);
  effect->ChangeCount(&changes);
  EXPECT_EQ(changes, start + 1);

  EXPECT_EQ(effect->UpdateParamFromHost("1", 1.0, 0), HMX_SUCCESS) << "the same value";
  effect->ChangeCount(&changes);
  EXPECT_EQ(changes, start + 1);
  EXPECT_EQ(effect->UpdateParamFromHost("99", 0.5, 0), HMX_ERROR_INVALID_PARAMETER_ID);

  // Nudges and relative updates stay within 0..1.
  EXPECT_EQ(effect->NudgeParamNormalized("2", 0.8), HMX_SUCCESS);
  EXPECT_EQ(effect->NudgeParamNormalized("2", 0.5), HMX_SUCCESS);
  EXPECT_DOUBLE_EQ(Normalized("2"), 1.0);
  EXPECT_EQ(effect->UpdateParamRelative("2", -2.0), HMX_SUCCESS);
  EXPECT_DOUBLE_EQ(Normalized("2"), 0.0);
  EXPECT_EQ(effect->NudgeParamNormalized("99", 0.1), HMX_ERROR_INVALID_PARAMETER_ID);
}

TEST_F(EffectParametersTest, ControlsChunkRoundTripsEveryParameterButTheBypass) {
  uint32_t id = 0;
  EXPECT_EQ(effect->ChunkIdAtIndex(1, &id), HMX_ERROR_INVALID_CHUNK_INDEX);
  EXPECT_EQ(id, 0u);
  std::vector<uint8_t> early = ChunkBuffer(256);
  EXPECT_EQ(effect->FillChunk(HMX_CEffectParameters::kControlsChunkID, AsChunk(early)),
            HMX_ERROR_INCORRECT_CHUNK_SIZE)
      << "a fill before the size was asked";

  effect->UpdateParamFromHost("1", 100 / 127.0, 0);
  effect->UpdateParamFromHost("2", 0.7, 0);
  effect->UpdateParamFromHost("3", 1.0, 0);
  std::vector<uint8_t> saved = SavedChunk();
  const PlugInChunk& chunk = *AsChunk(saved);
  EXPECT_STREQ(chunk.mName, "Complete Controls State");
  EXPECT_EQ(chunk.mVersion, -1);
  bool equal = false;
  EXPECT_EQ(effect->CompareActiveChunk(&chunk, &equal), HMX_SUCCESS);
  EXPECT_TRUE(equal);

  effect->UpdateParamFromHost("1", 0.0, 0);
  effect->UpdateParamFromHost("2", 0.0, 0);
  effect->UpdateParamFromHost("3", 0.0, 0);
  effect->UpdateParamFromHost(HMX_CEffectParameters::kMasterBypassID, 1.0, 0);
  EXPECT_EQ(effect->CompareActiveChunk(&chunk, &equal), HMX_SUCCESS);
  EXPECT_FALSE(equal);

  EXPECT_EQ(effect->SetChunk(HMX_CEffectParameters::kControlsChunkID, &chunk), HMX_SUCCESS);
  EXPECT_DOUBLE_EQ(Normalized("1"), 100 / 127.0);
  EXPECT_DOUBLE_EQ(Normalized("2"), 0.7);
  EXPECT_DOUBLE_EQ(Normalized("3"), 1.0);
  EXPECT_DOUBLE_EQ(Normalized(HMX_CEffectParameters::kMasterBypassID), 1.0)
      << "the bypass is not in the chunk";
  EXPECT_EQ(effect->CompareActiveChunk(&chunk, &equal), HMX_SUCCESS);
  EXPECT_TRUE(equal);

  EXPECT_EQ(effect->SetChunk(HMX_FourCC("VLMP"), &chunk), HMX_ERROR_INVALID_CHUNK_ID);
  std::vector<uint8_t> other = saved;
  AsChunk(other)->mChunkID = HMX_FourCC("VLMP");
  effect->UpdateParamFromHost("1", 0.0, 0);
  EXPECT_EQ(effect->CompareActiveChunk(AsChunk(other), &equal), HMX_SUCCESS);
  EXPECT_TRUE(equal) << "a chunk of another ID is not compared";

  // A size change between asking and filling is refused rather than written past the record.
  uint32_t size = 0;
  effect->ChunkByteSize(HMX_CEffectParameters::kControlsChunkID, &size);
  EXPECT_EQ(size, uint32_t(chunk.mSize));
  std::vector<uint8_t> grown = ChunkBuffer(size);
  effect->Parameters().AddParameter(StubEffect::Switch("4", "Added"));
  EXPECT_EQ(effect->FillChunk(HMX_CEffectParameters::kControlsChunkID, AsChunk(grown)),
            HMX_ERROR_INCORRECT_CHUNK_SIZE);
}

TEST_F(EffectParametersTest, HostileChunksChangeNothing) {
  std::vector<uint8_t> good = SavedChunk();
  effect->UpdateParamFromHost("1", 0.25, 0);
  effect->UpdateParamFromHost("2", 0.25, 0);
  const double cutoff = Normalized("1");
  const double level = Normalized("2");

  // Entries with the right names but the wrong type, a NaN and a value cut off by the size field.
  std::vector<uint8_t> typed = ChunkBuffer(64);
  const uint8_t data[] = {1,   1,   1,   1, 'd',  '_',  '1', 0, 0x3F, 0xF0, 0, 0,
                          0,   0,   0,   0,                                       // "1" as a double
                          'd', '_', '2', 0, 0x7F, 0xF8, 0,   0, 0,    0,    0, 0, // "2" = NaN
                          'l', '_', '3', 0, 0,    0};                             // "3" cut short
  std::memcpy(AsChunk(typed)->Data(), data, sizeof data);
  AsChunk(typed)->mSize = int32_t(sizeof data);

  std::vector<uint8_t> unmarked = good;
  AsChunk(unmarked)->Data()[0] = 7;
  std::vector<uint8_t> negative = good;
  AsChunk(negative)->mSize = -100;

  struct Case {
    const char* what;
    std::vector<uint8_t>* buffer;
    HMX_Result expected;
  };
  for (const Case& c : {Case{"wrong types, NaN, short value", &typed, HMX_SUCCESS},
                        Case{"no chunk marker", &unmarked, HMX_ERROR_MALFORMED_CHUNK},
                        Case{"negative size", &negative, HMX_ERROR_MALFORMED_CHUNK}}) {
    EXPECT_EQ(effect->SetChunk(HMX_CEffectParameters::kControlsChunkID, AsChunk(*c.buffer)), c.expected)
        << c.what;
    EXPECT_DOUBLE_EQ(Normalized("1"), cutoff) << c.what;
    EXPECT_DOUBLE_EQ(Normalized("2"), level) << c.what;
    EXPECT_DOUBLE_EQ(Normalized("3"), 0.0) << c.what;
  }
  EXPECT_EQ(effect->SetChunk(HMX_CEffectParameters::kControlsChunkID, nullptr), HMX_ERROR_NULL_ARGUMENT);
}

TEST_F(EffectParametersTest, PreviewNotificationSetsThePreviewSwitchAndOthersAreIgnored) {
  const int32_t on = 1;
  const int16_t shortPayload = 1;
  EXPECT_EQ(effect->OnHostNotification(HMX_FourCC("HXzz"), &on, sizeof on), HMX_SUCCESS);
  EXPECT_EQ(effect->OnHostNotification(HMX_CEffectParameters::kPreviewNotification, &shortPayload, 2),
            HMX_SUCCESS);
  EXPECT_EQ(effect->OnHostNotification(HMX_CEffectParameters::kPreviewNotification, nullptr, 4), HMX_SUCCESS);
  EXPECT_DOUBLE_EQ(Normalized(HMX_CEffectParameters::kPreviewID), 0.0);
  EXPECT_EQ(effect->OnHostNotification(HMX_CEffectParameters::kPreviewNotification, &on, sizeof on),
            HMX_SUCCESS);
  EXPECT_DOUBLE_EQ(Normalized(HMX_CEffectParameters::kPreviewID), 1.0);
}

TEST_F(EffectParametersTest, TeardownDeletesParametersBeforeTheWrappersTheyUse) {
  host.calls.clear();
  EXPECT_EQ(effect->TeardownEffect(), HMX_SUCCESS);
  int32_t count = -1;
  effect->ParamCount(&count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(host.calls.size(), 5u) << "each parameter unregisters while the automation wrapper lives";
  EXPECT_EQ(effect->Controller(), nullptr);
  EXPECT_EQ(effect->FlushParamUpdates(), HMX_SUCCESS) << "nothing left to post to";
}

TEST(EffectParametersFailures, AnExceptionInTheSubclassIsAnsweredAndTraced) {
  RecordingHostServices services;
  FakeEffectHost host;
  auto* effect = new StubEffect;
  effect->AddRef();
  effect->throwInInit = true;
  EXPECT_EQ(effect->Initialize(host.Unknown()), HMX_ERROR_UNKNOWN_EXCEPTION);
  ASSERT_FALSE(services.traces.empty());
  EXPECT_EQ(services.traces.back().second,
            "HMX_CEffectParameters::Initialize exception caught: no memory for parameters");
  // Released without a teardown: the wrappers still go after the parameters.
  effect->Release();
}

} // namespace

// HMX binding of the processor: construction, the host's parameters, state chunk, notifications,
// automation gestures and latency.
#include "Keel/Core/HMX/IKeelHMX.h"

#include "Keel/Core/IParam.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CLinearTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CNumberDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParameter.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CStringDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CUnitDisplayDelegateDecorator.h"
#include "Keel/Core/HMX/HMX_CIKeelTaperDelegate.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace keel {

namespace {
constexpr uint32_t kOfflineOn = HMX_FourCC("HXof");
constexpr uint32_t kOfflineOff = HMX_FourCC("HXox");
constexpr uint32_t kTrackName = HMX_FourCC("HXtn");
constexpr int kContinuousSteps = 128;

// The framework index an HMX ID names, or -1 (the bypass's empty ID, anything not a number).
int IndexOfID(const char* id) {
  if (!id || !*id)
    return -1;
  char* end = nullptr;
  const long number = std::strtol(id, &end, 10);
  return (*end == '\0' && number > 0 && number <= 0x7FFFFFFF) ? int(number - 1) : -1;
}

HMX_IParameter* MakeHostParameter(const IParam& param, const char* id) {
  const HMX_CString name(param.GetName());
  const bool automatable = param.IsAutomatable();
  switch (param.Type()) {
  case kTypeBool:
  case kTypeEnum: {
    std::map<int32_t, HMX_CString> texts;
    const int count = param.GetDisplayTextCount();
    for (int i = 0; i < count; ++i) {
      double value = 0.0;
      const char* text = param.GetDisplayTextAt(i, &value);
      texts.emplace(int32_t(value), HMX_CString(text)); // the first text for a value wins
    }
    const HMX_CLinearTaperDelegate<int, 1> taper(int(param.GetMin()), int(param.GetMax()));
    const HMX_CStringDisplayDelegate<int> display(texts);
    auto* made = new HMX_CParameter<int>(id, name, int(param.GetDefault()), taper, display, automatable);
    made->SetStepCount(uint32_t(count));
    made->SetKind(0);
    return made;
  }
  case kTypeInt: {
    const HMX_CLinearTaperDelegate<int, 1> taper(int(param.GetMin()), int(param.GetMax()));
    const HMX_CNumberDisplayDelegate<int, 0, 0> number;
    const HMX_CUnitDisplayDelegateDecorator<int> display(number, HMX_CString(param.GetLabelForDisplay()));
    auto* made = new HMX_CParameter<int>(id, name, int(param.GetDefault()), taper, display, automatable);
    made->SetStepCount(kContinuousSteps);
    made->SetKind(1);
    return made;
  }
  case kTypeDouble: {
    const HMX_CIKeelTaperDelegate<double> taper(param);
    const HMX_CNumberDisplayDelegate<double, 2, 0> number;
    const HMX_CUnitDisplayDelegateDecorator<double> display(number, HMX_CString(param.GetLabelForDisplay()));
    auto* made = new HMX_CParameter<double>(id, name, param.GetDefault(), taper, display, automatable);
    made->SetStepCount(kContinuousSteps);
    made->SetKind(1);
    return made;
  }
  default:
    return nullptr; // every parameter of this product has a type
  }
}
} // namespace

IKeelHMX::IKeelHMX(const HMXInstanceInfo&, const PluginConfig& config)
    : IKeelAPIBase(config, kApiKindHMX), IKeelProcessor(config) {
  mMidiOut.resize(kMidiOutCapacity);
  SetChannelConnections(kInput, 0, MaxNChannels(kInput), true);
  SetChannelConnections(kOutput, 0, MaxNChannels(kOutput), true);
  // The processor's block stays this long; longer host blocks are rendered in slices of it.
  SetBlockSize(512);
  if (MaxNChannels(kInput) > 0)
    CreateLatencyDelayLine();
  mMainInputChannels = GetMaxChannelsOnBus(kInput, 0);
  // The framework's 20 ms tick, with the page refresh a restore on a host thread left for it.
  mTimer.reset(Timer::Create([this](Timer&) { OnUITick(); }, kTimerPeriodMs));
}

void IKeelHMX::OnUITick() {
  if (mRestoreRefreshPending.exchange(false))
    IEditorDelegate::OnRestoreState();
  OnTimer();
}

bool IKeelHMX::DeferSysexMsg(const SysExMsg& msg) {
  SysExRecord record;
  return record.Assign(msg) && mSysExToHost.Push(record);
}

HMX_Result IKeelHMX::TeardownEffect() {
  // The real-time call may come once more; it must find nothing of what is about to be freed.
  mTornDown.store(true);
  mBypass = nullptr;
  return HMX_CIKeelParameters::TeardownEffect();
}

IKeelHMX::~IKeelHMX() {
  // The timer calls back into the derived object; it must be gone before anything else is.
  if (mTimer)
    mTimer->Stop();
}

HMX_Result IKeelHMX::InitEffect() {
  if (GetHost() == -1)
    SetHost("HMX Host", 0);

  HMX_CString bypassID;
  MasterBypassParamID(&bypassID);
  const HMX_CBinaryTaperDelegate<bool> bypassTaper;
  const HMX_CBinaryDisplayDelegate<bool> bypassDisplay(HMX_CString("bypass"), HMX_CString("on"));
  auto* bypass = new HMX_CParameter<bool>(bypassID.Text(), HMX_CString("Master Bypass"), false, bypassTaper,
                                          bypassDisplay, true);
  bypass->SetStepCount(2);
  bypass->SetKind(0);
  mBypass = bypass;
  Parameters().AddParameter(bypass);

  for (int i = 0; i < NParams(); ++i) {
    const std::string id = std::to_string(i + 1);
    mParamIDs.Add(new HeapString(id.c_str(), 32));
    if (HMX_IParameter* made = MakeHostParameter(*GetParam(i), ParamID(i))) {
      // The host starts from what the processor holds after its construction (a default controller
      // map, for one), not from the declared defaults.
      made->AcceptNormalized(GetParam(i)->GetNormalized());
      Parameters().AddParameter(made);
    }
  }

  float rate = 0.0f;
  if (Controller() && Controller()->SampleRate(&rate) == HMX_SUCCESS && rate > 0.0f)
    SetSampleRate(double(rate));
  OnReset();
  return HMX_SUCCESS;
}

HMX_Result IKeelHMX::ChunkIdAtIndex(int32_t index, uint32_t* outID) {
  if (!outID)
    return HMX_ERROR_NULL_OBJECT;
  if (index != 0) {
    *outID = 0;
    return HMX_ERROR_INVALID_CHUNK_INDEX;
  }
  *outID = StateChunkID();
  return HMX_SUCCESS;
}

// The host sizes its record by ChunkByteSize and fills it by FillChunk; the state may change in
// between (automation, a controller assignment, the page), so the bytes that were sized are kept and
// are what the fill hands over.
HMX_Result IKeelHMX::ChunkByteSize(uint32_t chunkID, uint32_t* outSize) {
  if (!outSize)
    return HMX_ERROR_NULL_OBJECT;
  *outSize = 0;
  if (chunkID != StateChunkID())
    return HMX_ERROR_INVALID_CHUNK_ID;
  return HMX::GuardedCall("IKeelHMX::ChunkByteSize", [&] {
    const std::lock_guard<std::mutex> lock(mChunkMutex);
    mSizedState.Clear();
    mHasSizedState = SerializeState(mSizedState);
    if (!mHasSizedState) {
      mReportedChunkSize = -1;
      return HMX_ERROR_INVALID_CHUNK_ID; // a failed serialization, as FillChunk answers it
    }
    mReportedChunkSize = mSizedState.Size();
    *outSize = uint32_t(mSizedState.Size());
    return HMX_SUCCESS;
  });
}

HMX_Result IKeelHMX::FillChunk(uint32_t chunkID, PlugInChunk* out) {
  if (!out)
    return HMX_ERROR_NULL_OBJECT;
  if (chunkID != StateChunkID())
    return HMX_ERROR_INVALID_CHUNK_ID;
  return HMX::GuardedCall("IKeelHMX::FillChunk", [&] {
    const std::lock_guard<std::mutex> lock(mChunkMutex);
    if (!mHasSizedState) {
      // A fill without a size query of its own: only a state of the size last reported fits.
      mSizedState.Clear();
      if (!SerializeState(mSizedState))
        return HMX_ERROR_INVALID_CHUNK_ID;
      if (mReportedChunkSize < 0 || mSizedState.Size() != mReportedChunkSize)
        return HMX_ERROR_INCORRECT_CHUNK_SIZE;
    }
    mHasSizedState = false;
    out->mSize = mSizedState.Size();
    if (mSizedState.Size() > 0)
      std::memcpy(out->Data(), mSizedState.GetData(), size_t(mSizedState.Size()));
    mSizedState.Clear();
    return HMX_SUCCESS;
  });
}

HMX_Result IKeelHMX::SetChunk(uint32_t chunkID, const PlugInChunk* chunk) {
  if (!chunk)
    return HMX_ERROR_NULL_OBJECT;
  if (chunkID != StateChunkID())
    return HMX_ERROR_INVALID_CHUNK_ID;
  return HMX::GuardedCall("IKeelHMX::SetChunk", [&] {
    ByteChunk state;
    if (chunk->mSize > 0) {
      state.Resize(chunk->mSize);
      if (state.Size() != chunk->mSize)
        return HMX_ERROR_NULL_OBJECT;
      std::memcpy(state.GetData(), chunk->Data(), size_t(chunk->mSize));
    }
    UnserializeState(state, 0); // a failed restore keeps what was read
    for (int i = 0; i < NParams(); ++i)
      SetParamNormalized(ParamID(i), GetParam(i)->GetNormalized());
    OnRestoreState();
    IncrementChangeCount();
    return HMX_SUCCESS;
  });
}

HMX_Result IKeelHMX::CompareActiveChunk(const PlugInChunk* chunk, bool* outEqual) {
  if (!chunk || !outEqual)
    return HMX_ERROR_NULL_OBJECT;
  *outEqual = true;
  if (chunk->mChunkID != StateChunkID())
    return HMX_SUCCESS;
  // Equal when the processor would save these very bytes now.
  return HMX::GuardedCall("IKeelHMX::CompareActiveChunk", [&] {
    ByteChunk now;
    if (!SerializeState(now))
      return HMX_ERROR_INVALID_CHUNK_ID;
    *outEqual = chunk->mSize == now.Size() &&
                (now.Size() == 0 || std::memcmp(chunk->Data(), now.GetData(), size_t(now.Size())) == 0);
    return HMX_SUCCESS;
  });
}

HMX_Result IKeelHMX::OnHostNotification(uint32_t type, const void* data, uint32_t size) {
  if (type == kOfflineOn)
    SetRenderingOffline(true);
  else if (type == kOfflineOff)
    SetRenderingOffline(false);
  else if (type == kTrackName && data)
    mTrackName = HeapString(static_cast<const HMX_IString*>(data)->Text());
  return HMX_CIKeelParameters::OnHostNotification(type, data, size);
}

HMX_Result IKeelHMX::UpdateParamFromHost(const char* id, double normalized, int32_t) {
  return HMX::GuardedCall("IKeelHMX::UpdateParamFromHost", [&]() -> HMX_Result {
    HMX_IParameter* parameter = Parameters().ParamByID(id);
    if (!parameter)
      return HMX_ERROR_INVALID_PARAMETER_ID;
    parameter->AcceptNormalized(normalized);
    const int index = IndexOfID(id);
    if (index >= 0 && index < NParams()) {
      IParam* param = GetParam(index);
      // A host confirms the values a restore reported; the real value is kept as it is then, since
      // converting it through its normalized value would round it.
      if (param->GetNormalized() != normalized)
        param->Set(param->Constrain(param->FromNormalized(normalized)));
      SendParameterValueFromAPI(index, normalized, true);
      OnParamChange(index, kHost, -1);
    }
    const HMX_Result marked = PacketPoster().MarkDirty(id);
    IncrementChangeCount();
    return marked;
  });
}

void IKeelHMX::BeginInformHostOfParamChange(int paramIdx) { TouchParamByID(ParamID(paramIdx)); }

void IKeelHMX::EndInformHostOfParamChange(int paramIdx) { ReleaseParamByID(ParamID(paramIdx)); }

void IKeelHMX::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  SetParamNormalized(ParamID(paramIdx), normalizedValue);
}

void IKeelHMX::SetLatency(int samples) {
  if (Controller())
    Controller()->SetSignalLatency(samples);
  IKeelProcessor::SetLatency(samples);
}

void IKeelHMX::CopyTrackName(HeapString& name) { name = mTrackName; }

bool IKeelHMX::EditorResize(int width, int height, bool) {
  if (!HasUI())
    return true;
  HMX_VViewContainer* container = GetViewContainer();
  if (container && (width != GetEditorWidth() || height != GetEditorHeight())) {
    const HMX_ViewSize size{float(height), float(width)};
    container->RequestViewSize(&size);
  }
  SetEditorSize(width, height);
  return true;
}

void IKeelHMX::SetWebViewBoundsPhysical(int width, int height) {
  if (!GetParentWindow())
    return;
  constexpr float kScale = 1.0f; // logical pixels equal physical ones here
  SetWebViewBounds(0.0f, 0.0f, float(width) / kScale, float(height) / kScale, 1.0f);
}

} // namespace keel

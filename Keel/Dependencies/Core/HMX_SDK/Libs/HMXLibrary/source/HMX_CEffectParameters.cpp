// Base of the plug-in's data model as the host sees it.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectParameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr const char* kSource = "HMX_CEffectParameters";
constexpr uint32_t kMaxShortNameBytes = 255;
constexpr uint8_t kChunkMarker[4] = {1, 1, 1, 1};

// Host lines cut at "\n"; empty pieces are no lines.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (end > start)
      lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A chunk whose data part is not this library's format is not ours to read.
bool HasControlsData(const PlugInChunk& chunk) {
  return chunk.mSize >= int32_t(sizeof kChunkMarker) &&
         std::memcmp(chunk.Data(), kChunkMarker, sizeof kChunkMarker) == 0;
}

} // namespace

HMX_CEffectParameters::HMX_CEffectParameters(IHCFUnknown* outer) : CHCFUnknown(outer) {}

HMX_CEffectParameters::~HMX_CEffectParameters() {
  // Parameters unregister from the automation wrapper as they go, so they go before it.
  DeleteParametersAndWrappers();
}

void HMX_CEffectParameters::DeleteParametersAndWrappers() {
  mParameters.RemoveAll();
  mParameters.SetAutomationDelegate(nullptr);
  mPacketPoster.Attach(nullptr, this);
  mController.reset();
  mAutomation.reset();
  mTransport.reset();
}

HMX_Result HMX_CEffectParameters::InnerQuery(const HMX_GUID& iid, void** out) {
  if (out && (iid == HMX_IID_EffectParameters || iid == HMX_IID_EffectParameters_V2 ||
              iid == HMX_IID_EffectParameters_V3 || iid == HMX_IID_EffectParameters_V4)) {
    auto* self = static_cast<HMX_IHCFEffectParameters_V4*>(this);
    *out = self;
    self->AddRef();
    return HMX_SUCCESS;
  }
  return CHCFUnknown::InnerQuery(iid, out);
}

HMX_Result HMX_CEffectParameters::Initialize(IHCFUnknown* controller) {
  return HMX::GuardedCall("HMX_CEffectParameters::Initialize", [&]() -> HMX_Result {
    mController = std::make_unique<HMX_VController>(controller);
    mAutomation = std::make_unique<HMX_VAutomationDelegate>(controller);
    mTransport = std::make_unique<HMX_VTransport>(controller);
    mParameters.SetAutomationDelegate(mAutomation.get());
    mPacketPoster.Attach(mController.get(), this);

    if (const HMX_Result init = InitEffect(); init != HMX_SUCCESS)
      return init;

    HMX_CString bypassID;
    MasterBypassParamID(&bypassID);
    mExcludedIDs.insert(bypassID.Str());

    int32_t count = 0;
    if (ParamCount(&count) != HMX_SUCCESS) {
      HMX::HostTrace(HMX::kTracePriorityParamCount,
                     "HMX_CEffectParameters::Initialize - error getting the number of parameters");
    } else if (count > 0) {
      mNumChunkedParameters = count - int32_t(mExcludedIDs.size());
      if (mNumChunkedParameters < 0)
        HMX::HostAssert(kSource, __LINE__, "mNumChunkedParameters >= 0");
    }
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::TeardownEffect() {
  return HMX::GuardedCall("HMX_CEffectParameters::TeardownEffect", [&] {
    DeleteParametersAndWrappers();
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::OnHostNotification(uint32_t type, const void* data, uint32_t size) {
  return HMX::GuardedCall("HMX_CEffectParameters::OnHostNotification", [&] {
    // The preview state is an int32; a shorter payload is not read.
    if (type == kPreviewNotification && data && size >= sizeof(int32_t)) {
      if (HMX_IParameter* preview = mParameters.ParamByID(kPreviewID)) {
        int32_t state = 0;
        std::memcpy(&state, data, sizeof state);
        preview->WriteBool(state != 0);
      }
    }
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ParamCount(int32_t* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  *out = mParameters.Count();
  return HMX_SUCCESS;
}

HMX_Result HMX_CEffectParameters::MasterBypassParamID(HMX_IString* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::MasterBypassParamID", [&] {
    out->SetText(mParameters.ParamByID(kMasterBypassID) ? kMasterBypassID : "");
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ParamIsAutomatable(const char* id, bool* out) {
  // An unknown ID answers false.
  if (out)
    *out = false;
  return ReadParam("HMX_CEffectParameters::ParamIsAutomatable", id, out,
                   [](HMX_IParameter& p) { return p.IsAutomatable(); });
}

HMX_Result HMX_CEffectParameters::ParamStepCount(const char* id, int32_t* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return WithParam("HMX_CEffectParameters::ParamStepCount", id, [&](HMX_IParameter& p) {
    const uint32_t steps = p.StepCount();
    if (steps > uint32_t(std::numeric_limits<int32_t>::max()))
      return HMX_ERROR_SIGNED_INT_OVERFLOW;
    *out = int32_t(steps);
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ParamName(const char* id, HMX_IString* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::ParamName", [&] {
    const HMX_IParameter* parameter = mParameters.ParamByID(id);
    out->SetText(parameter ? parameter->PrimaryName().Text() : "");
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ParamNameFitting(const char* id, HMX_IString* out, int32_t limit) {
  if (!out)
    return HMX_ERROR_INVALID_STRING_CONVERSION;
  return HMX::GuardedCall("HMX_CEffectParameters::ParamNameFitting", [&] {
    const HMX_IParameter* parameter = mParameters.ParamByID(id);
    if (!parameter) {
      out->SetText("");
      return HMX_SUCCESS;
    }
    std::string shortName = parameter->ShortNameFor(limit).Str();
    if (shortName.size() > kMaxShortNameBytes)
      shortName.resize(kMaxShortNameBytes);
    const std::vector<std::string> lines = SplitLines(shortName);
    int64_t keptLength = -1;
    for (const std::string& line : lines) {
      const int64_t length = int64_t(line.size());
      if (length > keptLength && length <= limit) {
        out->SetText(line.c_str());
        keptLength = length;
      }
    }
    if (keptLength < 0 && !lines.empty())
      out->SetText(limit > 0 ? shortName.substr(0, size_t(limit)).c_str() : "");
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ParamDefaultNormalized(const char* id, double* out) {
  return ReadParam("HMX_CEffectParameters::ParamDefaultNormalized", id, out,
                   [](HMX_IParameter& p) { return p.DefaultNormalized(); });
}

HMX_Result HMX_CEffectParameters::SetParamDefaultNormalized(const char* id, double value) {
  return ActOnParam("HMX_CEffectParameters::SetParamDefaultNormalized", id,
                    [&](HMX_IParameter& p) { p.SetDefaultNormalized(value); });
}

HMX_Result HMX_CEffectParameters::ParamKind(const char* id, int32_t* out) {
  return ReadParam("HMX_CEffectParameters::ParamKind", id, out, [](HMX_IParameter& p) { return p.Kind(); });
}

HMX_Result HMX_CEffectParameters::ParamOrientation(const char* id, int32_t* out) {
  return ReadParam("HMX_CEffectParameters::ParamOrientation", id, out,
                   [](HMX_IParameter& p) { return p.OrientationCode(); });
}

HMX_Result HMX_CEffectParameters::FindParam(const char* id, HMX_IParameter** out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  *out = mParameters.ParamByID(id);
  return *out ? HMX_SUCCESS : HMX_ERROR_INVALID_PARAMETER_ID;
}

HMX_Result HMX_CEffectParameters::ParamIndexOf(const char* id, int32_t* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  *out = mParameters.IndexOfID(id);
  return *out < 0 ? HMX_ERROR_INVALID_PARAMETER_ID : HMX_SUCCESS;
}

HMX_Result HMX_CEffectParameters::ParamIDAt(int32_t index, HMX_IString* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::ParamIDAt", [&] {
    const HMX_IParameter* parameter = mParameters.ParamAt(index);
    out->SetText(parameter ? parameter->ParameterID() : "");
    return parameter ? HMX_SUCCESS : HMX_ERROR_INVALID_PARAMETER_ID;
  });
}

HMX_Result HMX_CEffectParameters::ParamValueInfo(const char*, int32_t, int32_t* out) {
  if (out)
    *out = 0;
  return HMX_ERROR_UNIMPLEMENTED;
}

HMX_Result HMX_CEffectParameters::ParamNormalizedFromText(const char* id, double* out,
                                                          const HMX_IString& text) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return WithParam("HMX_CEffectParameters::ParamNormalizedFromText", id, [&](HMX_IParameter& p) {
    return p.NormalizedFromText(HMX_CString(text), *out) ? HMX_SUCCESS : HMX_ERROR_INVALID_STRING_CONVERSION;
  });
}

HMX_Result HMX_CEffectParameters::ParamTextFromNormalized(const char* id, double normalized, HMX_IString* out,
                                                          int32_t limit) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return WithParam("HMX_CEffectParameters::ParamTextFromNormalized", id, [&](HMX_IParameter& p) {
    HMX_CString text;
    const bool made = p.TextFromNormalized(normalized, limit, text);
    *out = text;
    return made ? HMX_SUCCESS : HMX_ERROR_INVALID_STRING_CONVERSION;
  });
}

HMX_Result HMX_CEffectParameters::ParamValueText(const char* id, HMX_IString* out, int32_t limit) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return WithParam("HMX_CEffectParameters::ParamValueText", id, [&](HMX_IParameter& p) {
    HMX_CString text;
    // A parameter that cannot make its text says so rather than answering success with no text.
    if (!p.ValueText(limit, text))
      return HMX_ERROR_INVALID_STRING_CONVERSION;
    *out = text;
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ParamNormalized(const char* id, double* out) {
  return ReadParam("HMX_CEffectParameters::ParamNormalized", id, out,
                   [](HMX_IParameter& p) { return p.Normalized(); });
}

HMX_Result HMX_CEffectParameters::SetParamNormalized(const char* id, double normalized) {
  return ActOnParam("HMX_CEffectParameters::SetParamNormalized", id,
                    [&](HMX_IParameter& p) { p.SetNormalized(normalized); });
}

HMX_Result HMX_CEffectParameters::NudgeParamNormalized(const char* id, double delta) {
  double current = 0.0;
  if (const HMX_Result read = ParamNormalized(id, &current); read != HMX_SUCCESS)
    return read;
  return SetParamNormalized(id, std::clamp(current + delta, 0.0, 1.0));
}

HMX_Result HMX_CEffectParameters::TouchParamByID(const char* id) {
  return ActOnParam("HMX_CEffectParameters::TouchParamByID", id, [](HMX_IParameter& p) { p.TouchParam(); });
}

HMX_Result HMX_CEffectParameters::ReleaseParamByID(const char* id) {
  return ActOnParam("HMX_CEffectParameters::ReleaseParamByID", id,
                    [](HMX_IParameter& p) { p.ReleaseParam(); });
}

HMX_Result HMX_CEffectParameters::UpdateParamFromHost(const char* id, double normalized, int32_t) {
  return WithParam("HMX_CEffectParameters::UpdateParamFromHost", id, [&](HMX_IParameter& p) {
    const double before = p.Normalized();
    p.AcceptNormalized(normalized);
    const HMX_Result marked = mPacketPoster.MarkDirty(id);
    // A NaN on either side counts as a change.
    if (!(normalized == before))
      ++mChangeCount;
    return marked;
  });
}

HMX_Result HMX_CEffectParameters::UpdateParamRelative(const char* id, double delta) {
  double current = 0.0;
  if (const HMX_Result read = ParamNormalized(id, &current); read != HMX_SUCCESS)
    return read;
  return UpdateParamFromHost(id, std::clamp(current + delta, 0.0, 1.0), 0);
}

HMX_Result HMX_CEffectParameters::FlushParamUpdates() {
  return HMX::GuardedCall("HMX_CEffectParameters::FlushParamUpdates",
                          [&] { return mPacketPoster.Dispatch(); });
}

HMX_Result HMX_CEffectParameters::InitFieldData(int32_t, void* data, uint32_t size) {
  if (data)
    std::memset(data, 0, size);
  return HMX_SUCCESS;
}

HMX_Result HMX_CEffectParameters::ChunkCount(int32_t* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  *out = 1;
  return HMX_SUCCESS;
}

HMX_Result HMX_CEffectParameters::ChunkIdAtIndex(int32_t index, uint32_t* outID) {
  if (!outID)
    return HMX_ERROR_NULL_ARGUMENT;
  *outID = index == 0 ? kControlsChunkID : 0;
  return index == 0 ? HMX_SUCCESS : HMX_ERROR_INVALID_CHUNK_INDEX;
}

template <class Visit>
void HMX_CEffectParameters::ForEachChunkedParameter(int32_t count, Visit&& visit) const {
  for (int32_t index = 0; index < count; ++index) {
    const HMX_IParameter* parameter = mParameters.ParamAt(index);
    if (!parameter) {
      HMX::HostAssert(kSource, __LINE__, "NULL != parameter");
      continue;
    }
    const char* id = parameter->ParameterID();
    if (!IsExcluded(id) && !visit(*parameter, id))
      return;
  }
}

void HMX_CEffectParameters::BuildChunkData() {
  mChunkParser.Clear();
  int32_t count = 0;
  if (ParamCount(&count) != HMX_SUCCESS) {
    HMX::HostTrace(HMX::kTracePriorityParamCount,
                   "HMX_CEffectParameters::BuildChunkData - error getting the number of parameters");
    return;
  }
  ForEachChunkedParameter(count, [&](const HMX_IParameter& parameter, const char* id) {
    float f = 0.0f;
    int32_t i = 0;
    bool b = false;
    double d = 0.0;
    HMX_CString text;
    if (parameter.ReadFloat(f))
      mChunkParser.AddDouble(id, double(f));
    else if (parameter.ReadInt32(i))
      mChunkParser.AddInt32(id, i);
    else if (parameter.ReadBool(b))
      mChunkParser.AddInt32(id, b ? 1 : 0);
    else if (parameter.ReadDouble(d))
      mChunkParser.AddDouble(id, d);
    else if (parameter.ReadText(&text))
      mChunkParser.AddString(id, text);
    return true;
  });
}

HMX_Result HMX_CEffectParameters::ChunkByteSize(uint32_t chunkID, uint32_t* outSize) {
  if (!outSize)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::ChunkByteSize", [&] {
    if (chunkID != kControlsChunkID) {
      *outSize = 0;
      return HMX_ERROR_INVALID_CHUNK_ID;
    }
    BuildChunkData();
    mLastReportedChunkSize = mChunkParser.ChunkDataSize();
    if (mLastReportedChunkSize < 0)
      return HMX_ERROR_INCORRECT_CHUNK_SIZE;
    *outSize = uint32_t(mLastReportedChunkSize);
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::FillChunk(uint32_t chunkID, PlugInChunk* out) {
  if (chunkID != kControlsChunkID)
    return HMX_ERROR_INVALID_CHUNK_ID;
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::FillChunk", [&] {
    BuildChunkData();
    // The host sized the record by the last reported size; anything else would write past it.
    if (mLastReportedChunkSize == 0 || mChunkParser.ChunkDataSize() != mLastReportedChunkSize)
      return HMX_ERROR_INCORRECT_CHUNK_SIZE;
    out->mVersion = mChunkParser.Version();
    std::memset(out->mName, 0, sizeof out->mName);
    std::strncpy(out->mName, kControlsChunkName, sizeof out->mName - 1);
    return mChunkParser.GetChunkData(*out);
  });
}

HMX_Result HMX_CEffectParameters::SetChunk(uint32_t chunkID, const PlugInChunk* chunk) {
  if (chunkID != kControlsChunkID)
    return HMX_ERROR_INVALID_CHUNK_ID;
  if (!chunk)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::SetChunk", [&]() -> HMX_Result {
    // Data that does not even start like a controls chunk changes nothing and is reported.
    if (!HasControlsData(*chunk))
      return HMX_ERROR_MALFORMED_CHUNK;
    mChunkParser.LoadChunk(*chunk);
    int32_t count = 0;
    if (const HMX_Result counted = ParamCount(&count); counted != HMX_SUCCESS) {
      HMX::HostTrace(HMX::kTracePriorityParamCount,
                     "HMX_CEffectParameters::SetChunk - error getting the number of parameters");
      return counted;
    }
    for (int32_t index = 0; index < count; ++index) {
      HMX_IParameter* parameter = mParameters.ParamAt(index);
      if (!parameter || IsExcluded(parameter->ParameterID()))
        continue;
      const char* id = parameter->ParameterID();
      float f = 0.0f;
      int32_t i = 0;
      bool b = false;
      double d = 0.0;
      HMX_CString text;
      // A value that is not a finite number is not put into a parameter.
      if (parameter->ReadFloat(f)) {
        if (mChunkParser.FindDouble(id, d) && std::isfinite(float(d)))
          parameter->WriteFloat(float(d));
      } else if (parameter->ReadInt32(i)) {
        if (mChunkParser.FindInt32(id, i))
          parameter->WriteInt32(i);
      } else if (parameter->ReadBool(b)) {
        if (mChunkParser.FindInt32(id, i))
          parameter->WriteBool(i != 0);
      } else if (parameter->ReadDouble(d)) {
        if (mChunkParser.FindDouble(id, d) && std::isfinite(d))
          parameter->WriteDouble(d);
      } else if (parameter->ReadText(&text)) {
        if (mChunkParser.FindString(id, &text))
          parameter->WriteText(text);
      }
    }
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::CompareActiveChunk(const PlugInChunk* chunk, bool* outEqual) {
  if (!chunk || !outEqual)
    return HMX_ERROR_NULL_ARGUMENT;
  return HMX::GuardedCall("HMX_CEffectParameters::CompareActiveChunk", [&]() -> HMX_Result {
    if (chunk->mChunkID != kControlsChunkID) {
      *outEqual = true;
      return HMX_SUCCESS;
    }
    *outEqual = false;
    mChunkParser.LoadChunk(*chunk);
    int32_t count = 0;
    if (const HMX_Result counted = ParamCount(&count); counted != HMX_SUCCESS) {
      HMX::HostTrace(HMX::kTracePriorityParamCount,
                     "HMX_CEffectParameters::CompareActiveChunk - error getting the number of parameters");
      return counted;
    }
    if (count < 1) {
      *outEqual = true;
      return HMX_SUCCESS;
    }
    bool allEqual = true;
    ForEachChunkedParameter(count, [&](const HMX_IParameter& parameter, const char* id) {
      float f = 0.0f;
      int32_t i = 0;
      bool b = false;
      double d = 0.0;
      int32_t stored = 0;
      double storedReal = 0.0;
      HMX_CString text;
      HMX_CString storedText;
      bool equal = true;
      // NaN never compares equal, so a NaN on either side ends the comparison.
      if (parameter.ReadFloat(f))
        equal = mChunkParser.FindDouble(id, storedReal) && float(storedReal) == f;
      else if (parameter.ReadInt32(i))
        equal = mChunkParser.FindInt32(id, stored) && stored == i;
      else if (parameter.ReadBool(b))
        equal = mChunkParser.FindInt32(id, stored) && (stored != 0) == b;
      else if (parameter.ReadDouble(d))
        equal = mChunkParser.FindDouble(id, storedReal) && float(storedReal) == float(d);
      else if (parameter.ReadText(&text))
        equal = mChunkParser.FindString(id, &storedText) && storedText == text;
      allEqual = equal;
      return equal;
    });
    *outEqual = allEqual;
    return HMX_SUCCESS;
  });
}

HMX_Result HMX_CEffectParameters::ChangeCount(int32_t* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  if (mChangeCount >= 0)
    *out = mChangeCount;
  return HMX_SUCCESS;
}

HMX_Result HMX_CEffectParameters::ExtensionB(void*, void*, void*, int32_t* out) {
  if (out)
    *out = 0;
  return HMX_SUCCESS;
}

HMX_Result HMX_CEffectParameters::RefreshPageTable(uint32_t a, uint32_t b, void*, IHCFUnknown* pageTable) {
  return HMX::GuardedCall("HMX_CEffectParameters::RefreshPageTable", [&] {
    HMX_VPageTable wrapper(pageTable);
    return wrapper.HasInterface() ? FillPageTable(a, b, wrapper) : HMX_SUCCESS;
  });
}

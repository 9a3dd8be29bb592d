// Patch documents: building from the parameters and applying with the reading rules.
#include "library/PatchDocument.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "library/FileIO.h"
#include "library/InitPatchDocument.h"
#include "library/JsonMembers.h"
#include "library/ParamKeyTable.h"
#include "common/EParams.h"

namespace vlm {

namespace {

// Rows of a run that exist; a caller's run beyond the table is cut rather than read past it.
int RunEnd(int firstRow, int rowCount) {
  return std::clamp(firstRow + std::max(rowCount, 0), 0, kParamKeyRowCount);
}

const nlohmann::json* NumberMember(const nlohmann::json& params, const char* key) {
  if (!params.is_object())
    return nullptr;
  const auto it = params.find(key);
  return it != params.end() && it->is_number() ? &*it : nullptr;
}

void SetAndRecord(keel::IKeelAPIBase& processor, int index, double x, nlohmann::json& values) {
  processor.SetParameterValue(index, x);
  if (!values.is_object())
    values = nlohmann::json::object();
  values[std::to_string(index)] = x;
}

bool HasParam(const keel::IEditorDelegate& processor, int index) {
  return index >= 0 && index < processor.NParams() && processor.GetParam(index) != nullptr;
}

std::string VersionText(int packed) {
  return std::to_string((packed >> 16) & 0xFFFF) + "." + std::to_string((packed >> 8) & 0xFF) + "." +
         std::to_string(packed & 0xFF);
}

} // namespace

nlohmann::json ParamsToJson(const keel::IEditorDelegate& processor, int firstRow, int rowCount,
                            int indexOffset) {
  nlohmann::json out = nlohmann::json::object();
  for (int row = std::max(firstRow, 0); row < RunEnd(firstRow, rowCount); ++row) {
    const int index = ParamKeyTable[row].index + indexOffset;
    if (HasParam(processor, index))
      out[ParamKeyTable[row].key] = processor.GetParam(index)->GetNormalized();
  }
  return out;
}

nlohmann::json BuildToneJson(const keel::IEditorDelegate& processor, int toneOffset) {
  nlohmann::json params = ParamsToJson(processor, kToneRowsFirst, kToneRowsCount, toneOffset);
  const int syncOffset = toneOffset == kLowerToneOffset ? kLowerToneSyncOffset : 0;
  params.update(ParamsToJson(processor, kToneSyncRowsFirst, kToneSyncRowsCount, syncOffset));
  return {{"modelRevision", kToneModelRevision}, {"params", std::move(params)}};
}

nlohmann::json BuildPatchDocument(const keel::IPluginBase& processor) {
  nlohmann::json patch = {
      {"params", ParamsToJson(processor, kPatchRowsFirst, kPatchRowsCount, 0)},
      {"toneA", BuildToneJson(processor, 0)},
      {"toneB", BuildToneJson(processor, kLowerToneOffset)},
  };
  return {
      {"createdWith", {{"name", "Velmora"}, {"version", VersionText(processor.GetPluginVersion(false))}}},
      {"format", kPatchDocumentFormat},
      {"formatVersion", 1},
      {"kind", kPatchDocumentKind},
      {"patch", std::move(patch)},
  };
}

int ApplyPresentKeys(keel::IKeelAPIBase& processor, const nlohmann::json& params, int firstRow, int rowCount,
                     int indexOffset, nlohmann::json& values) {
  if (!params.is_object())
    return 0;
  int count = 0;
  for (int row = std::max(firstRow, 0); row < RunEnd(firstRow, rowCount); ++row) {
    const int index = ParamKeyTable[row].index + indexOffset;
    const nlohmann::json* number = NumberMember(params, ParamKeyTable[row].key);
    if (!number || !HasParam(processor, index))
      continue;
    SetAndRecord(processor, index, std::clamp(number->get<double>(), 0.0, 1.0), values);
    ++count;
  }
  return count;
}

int ResetMissingKeys(keel::IKeelAPIBase& processor, const nlohmann::json& params, int firstRow, int rowCount,
                     int indexOffset, nlohmann::json& values) {
  int count = 0;
  for (int row = std::max(firstRow, 0); row < RunEnd(firstRow, rowCount); ++row) {
    const int index = ParamKeyTable[row].index + indexOffset;
    if (NumberMember(params, ParamKeyTable[row].key) || !HasParam(processor, index))
      continue;
    SetAndRecord(processor, index, std::clamp(processor.GetParam(index)->GetDefault(true), 0.0, 1.0), values);
    ++count;
  }
  return count;
}

int ApplyToneParams(keel::IKeelAPIBase& processor, const nlohmann::json& toneParams, int toneOffset,
                    nlohmann::json& values) {
  const int syncOffset = toneOffset == kLowerToneOffset ? kLowerToneSyncOffset : 0;
  return ApplyPresentKeys(processor, toneParams, kToneRowsFirst, kToneRowsCount, toneOffset, values) +
         ApplyPresentKeys(processor, toneParams, kToneSyncRowsFirst, kToneSyncRowsCount, syncOffset, values) +
         ResetMissingKeys(processor, toneParams, kToneSyncRowsFirst, kToneSyncRowsCount, syncOffset, values);
}

void FillMissingLowerPartBlock(keel::IKeelAPIBase& processor, const nlohmann::json& patchParams,
                               nlohmann::json& values) {
  if (!patchParams.is_object() || patchParams.contains("patch.lower.octaveShift"))
    return;
  constexpr int kUpperToLower = kLowerOctaveShift - kOctaveShift;
  for (int index = kLowerOctaveShift; index < kLowerOctaveShift + kNumPatchBlockParams; ++index) {
    if (HasParam(processor, index) && HasParam(processor, index - kUpperToLower))
      SetAndRecord(processor, index, processor.GetParam(index - kUpperToLower)->GetNormalized(), values);
  }
}

void ApplyPatchDocument(keel::IKeelAPIBase& processor, const nlohmann::json& document, bool effectChainLocked,
                        nlohmann::json& values) {
  const nlohmann::json patch = GetObjectMember(document, "patch");
  const nlohmann::json params = GetObjectMember(patch, "params");
  ApplyPresentKeys(processor, params, kPatchRowsFirst,
                   effectChainLocked ? kPatchRowsWithoutFxCount : kPatchRowsCount, 0, values);
  FillMissingLowerPartBlock(processor, params, values);
  ResetMissingKeys(processor, params, kPatchLfo2SyncRowsFirst, kPatchLfo2SyncRowsCount, 0, values);
  ApplyToneParams(processor, GetObjectMember(GetObjectMember(patch, "toneA"), "params"), 0, values);
  ApplyToneParams(processor, GetObjectMember(GetObjectMember(patch, "toneB"), "params"), kLowerToneOffset,
                  values);
}

bool IsPatchDocument(const nlohmann::json& document) {
  return GetStringMember(document, "format", "") == kPatchDocumentFormat &&
         GetStringMember(document, "kind", "") == kPatchDocumentKind;
}

bool ReadPatchDocument(const std::filesystem::path& path, nlohmann::json& document, std::string& error) {
  if (!ReadJsonFile(path, document, error))
    return false;
  if (!IsPatchDocument(document)) {
    error = kNotAPatchFileError;
    return false;
  }
  return true;
}

nlohmann::json ParseInitPatchDocument() {
  return nlohmann::json::parse(kInitPatchDocument, nullptr, false, false);
}

bool ReadPatchIsWhole(const std::filesystem::path& path) {
  nlohmann::json document;
  std::string error;
  if (!ReadJsonFile(path, document, error))
    return false;
  const nlohmann::json params = GetObjectMember(GetObjectMember(document, "patch"), "params");
  const nlohmann::json* keyMode = NumberMember(params, "patch.keyMode");
  // std::round takes halves away from zero and, unlike a conversion to int, is defined for any size.
  return keyMode && std::round(keyMode->get<double>() * 3.0) == 0.0;
}

void EnsureDocumentExtension(std::filesystem::path& path, bool tone) {
  const std::string wanted = tone ? ".80t" : ".80p";
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
    return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
  });
  if (extension != wanted)
    path.replace_extension(wanted);
}

} // namespace vlm

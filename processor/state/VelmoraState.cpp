// The processor's state as the host keeps it: parameter values and assignments, the page's bank state, the
// dedicated port names and the extension for the parameters added after the first layout.
#include <algorithm>
#include <cmath>
#include <mutex>

#include <nlohmann/json.hpp>

#include "Keel/Core/BoundedJson.h"
#include "library/ParamKeyTable.h"
#include "processor/Velmora.h"
#include "processor/editor/BankStateText.h"
#include "processor/editor/EditorTags.h"
#include "processor/state/PluginState.h"

using namespace vlm;
using nlohmann::json;

namespace {

// The eight rows of the key table that name parameters 181..188 in the extension.
template <typename F> void ForEachExtensionRow(F&& f) {
  for (int row = kSyncExtensionRowsFirst; row < kSyncExtensionRowsFirst + kSyncExtensionRowsCount; ++row)
    f(ParamKeyTable[static_cast<std::size_t>(row)].index, ParamKeyTable[static_cast<std::size_t>(row)].key);
}

// An assignment's real value as a controller, or -1.
int AssignedController(double value) {
  return value > -0.5 && value < 127.5 ? static_cast<int>(std::round(value)) : -1;
}

json ObjectMember(const json& value, const char* key) {
  const auto it = value.find(key);
  return it != value.end() && it->is_object() ? *it : json::object();
}

} // namespace

std::string Velmora::GetRequestedMidiInName() const {
  const std::lock_guard<std::mutex> lock(mPortNamesMutex);
  return mRequestedMidiInName;
}

std::string Velmora::GetRequestedMidiOutName() const {
  const std::lock_guard<std::mutex> lock(mPortNamesMutex);
  return mRequestedMidiOutName;
}

void Velmora::PublishOpenMidiPortNames(const std::string& inName, const std::string& outName) {
  const std::lock_guard<std::mutex> lock(mPortNamesMutex);
  mOpenMidiInName = inName;
  mOpenMidiOutName = outName;
}

std::string Velmora::BuildStateExtensionJson() const {
  json params = json::object();
  json ccMap = json::object();
  ForEachExtensionRow([&](int index, const char* key) {
    const keel::IParam* param = GetParam(index);
    params[key] = std::clamp(param->ToNormalized(param->Constrain(param->Value())), 0.0, 1.0);
    if (const int cc = AssignedController(GetParam(CcMapParam(index))->Value()); cc >= 0)
      ccMap[key] = cc;
  });
  json extension = {{"params", std::move(params)}, {"v", 2}};
  if (!ccMap.empty())
    extension["ccMap"] = std::move(ccMap);
  return extension.dump();
}

void Velmora::ApplyStateExtensionJson(const std::string* text) {
  const json extension = text ? keel::ParseJsonBounded(*text) : json();
  const json params = extension.is_object() ? ObjectMember(extension, "params") : json::object();
  const json ccMap = extension.is_object() ? ObjectMember(extension, "ccMap") : json::object();
  ForEachExtensionRow([&](int index, const char* key) {
    keel::IParam* param = GetParam(index);
    double normalized = param->GetDefault(true);
    if (const auto it = params.find(key); it != params.end() && it->is_number())
      normalized = std::clamp(it->get<double>(), 0.0, 1.0);
    param->Set(param->FromNormalized(normalized));
    OnParamChange(index);
    int cc = -1;
    if (const auto it = ccMap.find(key); it != ccMap.end() && it->is_number_integer()) {
      const long long value =
          it->is_number_unsigned()
              ? static_cast<long long>(std::min<unsigned long long>(it->get<unsigned long long>(), 1000))
              : it->get<long long>();
      cc = value >= 0 && value <= 127 ? static_cast<int>(value) : -1;
    }
    keel::IParam* assignment = GetParam(CcMapParam(index));
    assignment->Set(assignment->Constrain(cc));
    OnParamChange(CcMapParam(index));
  });
  RebuildCcLookup();
}

bool Velmora::SerializeState(keel::ByteChunk& chunk) const {
  PluginState state;
  for (int k = 0; k < kStateValueCount; ++k)
    state.values[static_cast<std::size_t>(k)] = GetParam(StateValueParam(k))->Value();
  {
    const std::lock_guard<std::mutex> lock(mBankStateMutex);
    state.bankState = mBankStateJson;
  }
  {
    // The names the port code published: a closed port is saved as empty.
    const std::lock_guard<std::mutex> lock(mPortNamesMutex);
    state.midiInName = mOpenMidiInName;
    state.midiOutName = mOpenMidiOutName;
  }
  state.extension = BuildStateExtensionJson();
  return WritePluginState(chunk, state);
}

void Velmora::RefreshPageAfterRestore() {
  if (!TakeStateRestored())
    return;
  const bool suppressedBefore = mSuppressMks80Echo.exchange(true);
  for (int i = 0; i < kNumParams; ++i)
    SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
  mSuppressMks80Echo.store(suppressedBefore);
  if (mBankTextRestored.exchange(false)) {
    const std::string bankState = GetBankStateJson();
    if (!bankState.empty())
      SendArbitraryMsgFromDelegate(MsgTag::kBankStateRestore, static_cast<int>(bankState.size()),
                                   bankState.data());
  }
}

int Velmora::UnserializeState(const keel::ByteChunk& chunk, int startPos) {
  // The idle work may look at any moment: the flags go up only after the last value is written.
  const auto restored = [this](bool bankText, int position) {
    if (bankText)
      mBankTextRestored.store(true);
    mStateRestored.store(true);
    return position;
  };
  const PluginStateRead read = ReadPluginState(chunk, startPos);
  for (int k = 0; k < read.valueCount; ++k) {
    keel::IParam* param = GetParam(StateValueParam(k));
    param->Set(param->Constrain(read.values[static_cast<std::size_t>(k)]));
  }
  // Every parameter, also those the chunk did not hold; the page catches up in one refresh.
  for (int i = 0; i < kNumParams; ++i)
    OnParamChange(i);
  if (read.valueCount < kStateValueCount)
    return restored(false, -1);
  RebuildCcLookup();
#ifndef VLM_PLUGIN
  // The program's editor opens at its default size after a restore; the plug-in keeps the host's size.
  SetEditorSize(1180, 760);
#endif

  if (!read.bankState) {
    {
      const std::lock_guard<std::mutex> lock(mBankStateMutex);
      mBankStateJson.clear();
    }
    mExpandedTones = false;
    SetSizeConstraints(kEditorMinWidth, kEditorMaxWidth, kEditorMinHeight, kEditorMaxHeight);
    ApplyStateExtensionJson(nullptr);
    return restored(false, read.position);
  }
  const bool expanded = ReadExpandedTonesFlag(*read.bankState);
  {
    const std::lock_guard<std::mutex> lock(mBankStateMutex);
    mBankStateJson = *read.bankState;
  }
  mExpandedTones = expanded;
  SetSizeConstraints(kEditorMinWidth, kEditorMaxWidth, expanded ? kEditorMinHeightExpanded : kEditorMinHeight,
                     kEditorMaxHeight);

  if (!read.midiInName) {
    {
      const std::lock_guard<std::mutex> lock(mPortNamesMutex);
      mRequestedMidiInName.clear();
      mRequestedMidiOutName.clear();
    }
    mPortRestorePending.store(false);
    ApplyStateExtensionJson(nullptr);
    return restored(true, read.position);
  }
  {
    const std::lock_guard<std::mutex> lock(mPortNamesMutex);
    mRequestedMidiInName = *read.midiInName;
    mRequestedMidiOutName = read.midiOutName ? *read.midiOutName : std::string();
  }
  mPortRestorePending.store(true);
  ApplyStateExtensionJson(read.midiOutName && read.extension ? &*read.extension : nullptr);
  return restored(true, read.position);
}

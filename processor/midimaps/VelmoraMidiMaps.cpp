// Controller maps on the processor: mapped controllers on the audio thread, MIDI learn, the idle work's
// share of both, the page's learn requests and the map documents with their dialogs.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "Keel/Platform/FileDialogs.h"
#include "Keel/Platform/FileSystemUTF8.h"
#include "common/AppFolders.h"
#include "common/Logger.h"
#include "library/FileDialogKinds.h"
#include "library/FileIO.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "processor/midimaps/MidiMaps.h"

using namespace vlm;
using nlohmann::json;

namespace {

// Raises a flag for the lifetime of the scope: changes made meanwhile never go back to the MKS-80. A flag
// that was already up stays up afterwards.
class ScopedFlag {
public:
  explicit ScopedFlag(std::atomic<bool>& flag) : mFlag(flag), mWasRaised(flag.exchange(true)) {}
  ~ScopedFlag() { mFlag.store(mWasRaised); }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
  std::atomic<bool>& mFlag;
  const bool mWasRaised;
};

} // namespace

void Velmora::HandleMidiCc(int controller, int value) noexcept {
  if (controller < 0 || controller > 119)
    return; // channel-mode messages are never mapped or learned
  const int v = std::clamp(value, 0, 127);
  if (mMidiLearnActive.load(std::memory_order_acquire)) {
    const int target = mMidiLearnTarget.load(std::memory_order_acquire);
    if (IsMidiMapTarget(target))
      mLearnNotices.Push({target, controller}); // dropped when full: the user moves the controller again
    return;
  }
  int mode = mTakeoverMode.load(std::memory_order_relaxed);
  if (mode < kTakeoverJump || mode > kTakeoverScaling)
    mode = kTakeoverScaling;
  mCcLookup.ForEachMappedTo(controller, [&](int index, TakeoverState& state) {
    keel::IParam* param = GetParam(index);
    const TakeoverResult result = TakeoverCcValue(state, mode, v, param->GetNormalized());
    if (!result.apply)
      return;
    param->Set(param->Constrain(param->FromNormalized(result.normalized)));
    OnParamChange(index);
    state.lastSent = param->GetNormalized();
    mControllerEchoes.Push({index, state.lastSent}); // dropped when full: the page is one step behind
  });
}

void Velmora::RebuildCcLookup() noexcept {
  for (int i = 0; i < kNumSoundParams; ++i) {
    const double value = ParamValue(CcMapParam(i));
    mCcLookup.Set(i, value > -1.5 && value < 128.5 ? static_cast<int>(std::round(value)) : -1);
  }
}

void Velmora::SetCcAssignment(int soundParam, int controller) {
  if (!IsSoundParam(soundParam))
    return;
  const int cc = controller >= 0 && controller <= 127 ? controller : -1;
  const ScopedFlag suppress(mSuppressMks80Echo);
  // The parameter's range is -1..127 over 128 steps.
  SendParameterValueFromUI(CcMapParam(soundParam), (cc + 1) / 128.0);
}

void Velmora::ClearCcAssignments() {
  for (int i = 0; i < kNumSoundParams; ++i) {
    const ScopedFlag suppress(mSuppressMks80Echo);
    SendParameterValueFromUI(CcMapParam(i), 0.0);
  }
}

void Velmora::SendMidiLearnState() {
  json assignments = json::object();
  for (int i = 0; i < kNumSoundParams; ++i)
    if (const int cc = GetCcAssignment(i); cc >= 0)
      assignments[std::to_string(i)] = cc;
  const int target = GetMidiLearnTarget();
  SendJsonToUI(MsgTag::kMidiLearnState, {{"active", IsMidiLearnActive()},
                                         {"assignments", std::move(assignments)},
                                         {"selectedParamIdx", target >= 0 ? json(target) : json(nullptr)}});
}

void Velmora::RunControllerMapIdle() {
  // 1. Controller echoes: only the last value per parameter matters to the page.
  std::array<double, kNumSoundParams> latest{};
  std::array<bool, kNumSoundParams> moved{};
  bool any = false;
  ControllerEcho echo;
  while (mControllerEchoes.Pop(echo)) {
    if (!IsSoundParam(echo.index))
      continue;
    latest[static_cast<std::size_t>(echo.index)] = echo.normalized;
    moved[static_cast<std::size_t>(echo.index)] = true;
    any = true;
  }
  if (any) {
    const ScopedFlag suppress(mSuppressMks80Echo);
    for (int i = 0; i < kNumSoundParams; ++i) {
      if (!moved[static_cast<std::size_t>(i)])
        continue;
      const double value = latest[static_cast<std::size_t>(i)];
#ifdef VLM_PLUGIN
      // The host records the controller's move as one complete gesture; the program has no host to tell.
      BeginInformHostOfParamChange(i);
      InformHostOfParamChange(i, value);
      EndInformHostOfParamChange(i);
#endif
      SendParameterValueFromDelegate(i, value, true);
    }
  }
  // 2. Learn notices become assignments; learn stays armed for the next target.
  bool assigned = false;
  LearnNotice notice;
  while (mLearnNotices.Pop(notice)) {
    if (!IsMidiMapTarget(notice.target) || notice.controller < 0 || notice.controller > 127)
      continue;
    SetCcAssignment(notice.target, notice.controller);
    assigned = true;
  }
  if (assigned) {
    mMidiLearnTarget.store(-1);
    SendMidiLearnState();
  }
}

void Velmora::OnMidiLearnRequest(const std::string& payload) {
  const std::optional<LearnRequest> request = ParseLearnRequest(payload);
  if (!request)
    return; // not JSON: ignored
  const auto target = [&]() { return request->paramIdx && IsMidiMapTarget(*request->paramIdx); };
  switch (request->op) {
  case LearnOp::SetActive:
    // The target is cleared before learn turns off, so the audio thread never sees a stale pair.
    if (!request->active)
      mMidiLearnTarget.store(-1);
    mMidiLearnActive.store(request->active);
    SendMidiLearnState();
    break;
  case LearnOp::SelectTarget:
    mMidiLearnTarget.store(target() ? *request->paramIdx : -1);
    SendMidiLearnState();
    break;
  case LearnOp::Assign:
    if (target() && request->cc)
      SetCcAssignment(*request->paramIdx, *request->cc);
    mMidiLearnTarget.store(-1);
    SendMidiLearnState();
    break;
  case LearnOp::ClearTarget:
    if (request->paramIdx)
      SetCcAssignment(*request->paramIdx, -1);
    SendMidiLearnState();
    break;
  case LearnOp::ClearAll:
    ClearCcAssignments();
    SendMidiLearnState();
    break;
  case LearnOp::Save:
    SaveMidiMapWithDialog();
    break;
  case LearnOp::Load:
    LoadMidiMapWithDialog();
    break;
  case LearnOp::SetDefault:
    SaveDefaultMidiMap();
    break;
  case LearnOp::Other:
    break;
  }
}

void Velmora::AnswerMidiMapOperation(const std::string& op, const std::string& status,
                                     const std::string& message, const std::string& filePath) {
  json reply = SendStatusReplyJson(op, status, message);
  if (!filePath.empty())
    reply["filePath"] = filePath;
  SendJsonToUI(MsgTag::kMidiLearnActionResult, reply);
}

namespace {

// The map dialogs start in the user's documents folder, owned by the editor's window when there is one.
bool ChooseMidiMapFile(void* owner, bool save, std::string& path) {
  std::filesystem::path chosen;
  if (!ShowFileDialog(owner, kMidiMapFile, save, Utf8ToPath(GetUserDocumentsFolder()), save ? "MidiMap" : "",
                      chosen))
    return false;
  path = PathToUtf8(chosen);
  return true;
}

} // namespace

void Velmora::SaveMidiMapWithDialog() {
  std::string path;
  const bool chosen = mMidiMapFileChooser ? mMidiMapFileChooser(true, path)
                                          : ChooseMidiMapFile(GetParentWindow(), true, path);
  if (!chosen) {
    AnswerMidiMapOperation("save", "cancel", "");
    return;
  }
  path = keel::AppendMissingExtension(path, "vmm");
  std::string error;
  if (WriteMidiMapDocument(path, error))
    AnswerMidiMapOperation("save", "ok", "", path);
  else
    AnswerMidiMapOperation("save", "error", error);
}

void Velmora::LoadMidiMapWithDialog() {
  std::string path;
  const bool chosen = mMidiMapFileChooser ? mMidiMapFileChooser(false, path)
                                          : ChooseMidiMapFile(GetParentWindow(), false, path);
  if (!chosen) {
    AnswerMidiMapOperation("load", "cancel", "");
    return;
  }
  json document;
  std::string error;
  if (!ReadJsonFile(Utf8ToPath(path), document, error)) {
    AnswerMidiMapOperation("load", "error", error.empty() ? "Failed to read file" : error);
    return;
  }
  if (!IsMidiMapDocument(document)) {
    AnswerMidiMapOperation("load", "error", "Not a Velmora MIDI map file (.vmm)");
    return;
  }
  ClearCcAssignments();
  for (const MidiMapAssignment& a : ParseMidiMapAssignments(document))
    SetCcAssignment(a.paramIdx, a.cc);
  SendMidiLearnState();
  AnswerMidiMapOperation("load", "ok", "", path);
}

void Velmora::SaveDefaultMidiMap() {
  const std::string path = DefaultMidiMapPath();
  std::string error;
  if (WriteMidiMapDocument(path, error)) {
    GetLogger().Log("MidiMap: saved default map to %s", path.c_str());
    AnswerMidiMapOperation("setDefault", "ok", "", path);
  } else {
    AnswerMidiMapOperation("setDefault", "error", error);
  }
}

bool Velmora::WriteMidiMapDocument(const std::string& path, std::string& error) const {
  const json document = BuildMidiMapDocument([this](int i) { return GetCcAssignment(i); },
                                             [this](int i) { return std::string(GetParam(i)->GetName()); });
  std::string writeError;
  if (WriteJsonFile(Utf8ToPath(path), document, writeError))
    return true;
  error = writeError.empty() ? "Failed to write file" : writeError;
  return false;
}

void Velmora::LoadDefaultMidiMap() {
  const std::string path = DefaultMidiMapPath();
  keel::FileStatus status;
  if (keel::statUTF8(path.c_str(), &status) != 0)
    return; // no default map: nothing to say
  json document;
  std::string error;
  if (!ReadJsonFile(Utf8ToPath(path), document, error)) {
    GetLogger().Log("MidiMap: default map load failed (%s)", error.c_str());
    return;
  }
  if (!IsMidiMapDocument(document)) {
    GetLogger().Log("MidiMap: %s is not a MIDI map file, ignoring", path.c_str());
    return;
  }
  // Stored directly: nothing is running yet that would need to hear of it; the lookup follows.
  const std::vector<MidiMapAssignment> assignments = ParseMidiMapAssignments(document);
  for (const MidiMapAssignment& a : assignments) {
    keel::IParam* param = GetParam(CcMapParam(a.paramIdx));
    param->Set(param->Constrain(a.cc));
  }
  GetLogger().Log("MidiMap: applied default map (%d assignments) from %s",
                  static_cast<int>(assignments.size()), path.c_str());
}

// The dedicated MKS-80 port on the page (list and select), the program's remembered choice, and the
// deferred reopening of the ports after start-up or a state restore. UI thread.
#include <mutex>

#include <nlohmann/json.hpp>

#include "Keel/Core/BoundedJson.h"
#include "library/JsonMembers.h"
#include "library/StandaloneMidiSettings.h"
#include "common/AppFolders.h"
#include "common/Logger.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"

using nlohmann::json;

std::string Velmora::GetOpenMidiInName() const {
  const std::lock_guard<std::mutex> lock(mPortNamesMutex);
  return mOpenMidiInName;
}

std::string Velmora::GetOpenMidiOutName() const {
  const std::lock_guard<std::mutex> lock(mPortNamesMutex);
  return mOpenMidiOutName;
}

void Velmora::PublishOpenPorts() {
  PublishOpenMidiPortNames(mMidiPortIo.IsInOpen() ? mMidiPortIo.InName() : std::string(),
                           mMidiPortIo.IsOutOpen() ? mMidiPortIo.OutName() : std::string());
}

void Velmora::SendMidiPortList(const std::string& failedDirection, const std::string& failedName) {
  json list = {{"inputs", mMidiPortIo.ListInputs()},
               {"outputs", mMidiPortIo.ListOutputs()},
               {"selectedIn", mMidiPortIo.IsInOpen() ? mMidiPortIo.InName() : std::string()},
               {"selectedOut", mMidiPortIo.IsOutOpen() ? mMidiPortIo.OutName() : std::string()}};
  if (!failedDirection.empty() && !failedName.empty())
    list["openFailed"] = {{"direction", failedDirection}, {"name", failedName}};
  SendJsonToUI(vlm::MsgTag::kMidiPortList, list);
}

void Velmora::MidiPortSelect(const std::string& payload) {
  const json request = keel::ParseJsonBounded(payload);
  std::string failedDirection;
  std::string failedName;
  if (request.is_object()) {
    const std::string direction = vlm::GetStringMember(request, "direction", {});
    const std::string name = vlm::GetStringMember(request, "name", {});
    const bool input = direction == "in";
    if (input || direction == "out") {
      if (name.empty())
        input ? mMidiPortIo.CloseIn() : mMidiPortIo.CloseOut();
      else
        input ? mMidiPortIo.OpenIn(name) : mMidiPortIo.OpenOut(name);
      const bool open = input ? mMidiPortIo.IsInOpen() : mMidiPortIo.IsOutOpen();
      GetLogger().Log("MidiPortSelect[%s]: '%s' -> open=%d", direction.c_str(), name.c_str(), open ? 1 : 0);
      if (!name.empty() && !open) {
        failedDirection = direction;
        failedName = name;
      }
#ifndef VLM_PLUGIN
      (input ? mChosenMidiInName : mChosenMidiOutName) = name;
#endif
      PublishOpenPorts();
    }
  }
  SendMidiPortList(failedDirection, failedName);
#ifndef VLM_PLUGIN
  SaveStandaloneMidi();
#endif
  InformHostOfAllParamValues();
}

void Velmora::RestoreMidiPorts() {
  if (!TakePortRestorePending())
    return;
  const std::string inName = GetRequestedMidiInName();
  const std::string outName = GetRequestedMidiOutName();
  if (inName.empty())
    mMidiPortIo.CloseIn();
  else
    mMidiPortIo.OpenIn(inName);
  if (outName.empty())
    mMidiPortIo.CloseOut();
  else
    mMidiPortIo.OpenOut(outName);
  const bool inOpen = mMidiPortIo.IsInOpen();
  const bool outOpen = mMidiPortIo.IsOutOpen();
  GetLogger().Log("MidiPortRestore: in='%s' -> open=%d, out='%s' -> open=%d", inName.c_str(), inOpen ? 1 : 0,
                  outName.c_str(), outOpen ? 1 : 0);
  PublishOpenPorts();
#ifndef VLM_PLUGIN
  // A port found by its base name is the one to look for next time.
  bool changed = false;
  if (inOpen && mMidiPortIo.InName() != mChosenMidiInName) {
    mChosenMidiInName = mMidiPortIo.InName();
    changed = true;
  }
  if (outOpen && mMidiPortIo.OutName() != mChosenMidiOutName) {
    mChosenMidiOutName = mMidiPortIo.OutName();
    changed = true;
  }
  if (changed)
    SaveStandaloneMidi();
#endif
  SendMidiPortList(std::string(), std::string());
}

#ifndef VLM_PLUGIN

void Velmora::LoadStandaloneMidi() {
  vlm::StandaloneMidiNames names;
  if (!vlm::LoadStandaloneMidiNames(GetAppDataFolder(), names))
    return;
  mChosenMidiInName = names.in;
  mChosenMidiOutName = names.out;
  if (names.in.empty() && names.out.empty())
    return;
  {
    const std::lock_guard<std::mutex> lock(mPortNamesMutex);
    mRequestedMidiInName = names.in;
    mRequestedMidiOutName = names.out;
  }
  mPortRestorePending.store(true);
  GetLogger().Log("StandaloneMidi: restore pending in='%s' out='%s'", names.in.c_str(), names.out.c_str());
}

void Velmora::SaveStandaloneMidi() {
  vlm::SaveStandaloneMidiNames(GetAppDataFolder(), {mChosenMidiInName, mChosenMidiOutName});
}

#endif

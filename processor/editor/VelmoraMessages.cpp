// The processor's side of the page's tagged messages: bank state, links, the manual, forwarded keys, the
// clipboard, and the answers for operations that this build does not offer yet.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Keel/Platform/Clipboard.h"
#include "Keel/Platform/FileSystemUTF8.h"
#include "Keel/Platform/ShellOpen.h"
#include "Keel/Platform/WindowAccelerators.h"
#include "common/AppFolders.h"
#include "common/Logger.h"
#include "library/PresetLibrary.h"
#include "processor/Velmora.h"
#include "processor/editor/BankStateText.h"
#include "processor/editor/EditorTags.h"
#include "processor/editor/KeyForwarding.h"
#include "processor/librarian/VelmoraPresets.h"

using nlohmann::json;

namespace {

bool IsEmptyPayload(int dataSize, const void* data) {
  return !data || dataSize <= 0;
}

std::string PayloadText(int dataSize, const void* data) {
  return IsEmptyPayload(dataSize, data)
             ? std::string()
             : std::string(static_cast<const char*>(data), static_cast<size_t>(dataSize));
}

std::int32_t ReadInt32LE(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 |
                                   static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

json Velmora::SendStatusReplyJson(const std::string& operation, const std::string& status,
                                  const std::string& message) {
  json reply = {{"op", operation}, {"status", status}};
  if (!message.empty())
    reply["message"] = message;
  return reply;
}

void Velmora::SendJsonToUI(int msgTag, const json& value) {
  // File names and page texts may hold bytes that are not UTF-8; they are replaced, never thrown.
  const std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
  SendArbitraryMsgFromDelegate(msgTag, static_cast<int>(text.size()), text.data());
}

std::string Velmora::GetBankStateJson() {
  const std::lock_guard<std::mutex> lock(mBankStateMutex);
  return mBankStateJson;
}

bool Velmora::OnMessage(int msgTag, int ctrlTag, int dataSize, const void* data) {
  (void)ctrlTag; // the page sends -1 with every tagged message
  const bool empty = IsEmptyPayload(dataSize, data);
  try {
    switch (msgTag) {
    case vlm::MsgTag::kResizeEditor: {
      if (empty || dataSize < 8) {
        GetLogger().Log("OnMessage[ResizeEditor]: bad payload (size=%d)", empty ? 0 : dataSize);
        return false;
      }
      const auto* bytes = static_cast<const unsigned char*>(data);
      ResizeEditor(ReadInt32LE(bytes), ReadInt32LE(bytes + 4)); // clamped; the window follows
      return true;
    }
    case vlm::MsgTag::kBankState:
      OnBankStateMessage(dataSize, data);
      return true;
    case vlm::MsgTag::kPresetAction:
      if (empty)
        SendJsonToUI(vlm::MsgTag::kPresetActionResult,
                     vlm::MakeOperationResult("unknown", "error", "Preset action payload is empty"));
      else
        vlm::HandlePresetAction(*this, PayloadText(dataSize, data));
      return true;
    case vlm::MsgTag::kUIPrefs:
      // Stored, written to preferences.json and read again for the knob mode.
      OnUIPrefsPayload(PayloadText(dataSize, data));
      return true;
    case vlm::MsgTag::kOpenUrl:
      OnOpenUrlMessage(dataSize, data);
      return true;
    case vlm::MsgTag::kMidiPortSelect:
      // An empty selection asks for the list again, as a refresh does.
      if (empty)
        SendMidiPortList(std::string(), std::string());
      else
        MidiPortSelect(PayloadText(dataSize, data));
      return true;
    case vlm::MsgTag::kMidiPortRefresh:
      SendMidiPortList(std::string(), std::string());
      return true;
    case vlm::MsgTag::kForwardKeyEvent:
      OnForwardKeyEventMessage(dataSize, data);
      return true;
    case vlm::MsgTag::kClipboardWrite:
      if (!empty)
        keel::WriteClipboardText(PayloadText(dataSize, data));
      return true;
    case vlm::MsgTag::kClipboardReadRequest:
      OnClipboardReadRequest();
      return true;
    case vlm::MsgTag::kMidiLearnRequest:
      if (!empty)
        OnMidiLearnRequest(PayloadText(dataSize, data)); // invalid JSON is ignored there
      return true;
    case vlm::MsgTag::kOpenManualPdf:
      OnOpenManualPdfMessage(dataSize, data);
      return true;
    case vlm::MsgTag::kRequestInit:
      GetLogger().Log("OnMessage[RequestInit]: re-sending initial state to UI");
      SendInitialStateToUI();
      return true;
    default:
      return false;
    }
  } catch (const std::exception& e) {
    // A page message never ends the program; the page sends what matters again.
    GetLogger().Log("OnMessage[%d]: failed (%s)", msgTag, e.what());
    return true;
  }
}

void Velmora::OnBankStateMessage(int dataSize, const void* data) {
  if (IsEmptyPayload(dataSize, data)) {
    {
      const std::lock_guard<std::mutex> lock(mBankStateMutex);
      mBankStateJson.clear();
    }
    mExpandedTones = false;
    SetSizeConstraints(vlm::kEditorMinWidth, vlm::kEditorMaxWidth, vlm::kEditorMinHeight,
                       vlm::kEditorMaxHeight);
    return;
  }
  std::string text = PayloadText(dataSize, data);
  const bool expanded = vlm::ReadExpandedTonesFlag(text);
  {
    const std::lock_guard<std::mutex> lock(mBankStateMutex);
    mBankStateJson = std::move(text);
  }
  // Only the limits move: the page asks for the taller size itself.
  mExpandedTones = expanded;
  SetSizeConstraints(vlm::kEditorMinWidth, vlm::kEditorMaxWidth,
                     expanded ? vlm::kEditorMinHeightExpanded : vlm::kEditorMinHeight, vlm::kEditorMaxHeight);
}

void Velmora::OnOpenUrlMessage(int dataSize, const void* data) {
  if (IsEmptyPayload(dataSize, data))
    return;
  const std::string url = PayloadText(dataSize, data);
  // Exact, case-sensitive schemes: nothing but the user's web browser is ever started from the page.
  const bool web = url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0;
  if (!web || url.find('\0') != std::string::npos) {
    GetLogger().Log("OnMessage[OpenUrl]: rejected non-http(s) url");
    return;
  }
  if (!keel::OpenUriWithDefaultApp(url))
    GetLogger().Log("OnMessage[OpenUrl]: no application opened the address");
}

void Velmora::OnOpenManualPdfMessage(int dataSize, const void* data) {
  const std::string payload = PayloadText(dataSize, data);
  const std::string language = payload.size() > 1 && payload == "ja" ? "ja" : "en";
  const std::string file = "Velmora-Manual-" + language + ".pdf";
  std::vector<std::string> candidates;
  // Install folders named by the environment come first, as on the system the manual was written for.
  for (const char* base : {"ProgramFiles", "ProgramFiles(x86)"}) {
    const char* folder = std::getenv(base);
    if (folder && *folder)
      candidates.push_back(keel::JoinPath(keel::JoinPath(folder, "Velmora"), file));
  }
  candidates.push_back(keel::JoinPath(keel::JoinPath(GetDocumentsFolder(), "Velmora"), file));
  for (const std::string& path : candidates) {
    keel::FileStatus status;
    if (keel::statUTF8(path.c_str(), &status) == 0) {
      keel::OpenFileWithDefaultApp(path);
      return;
    }
  }
  GetLogger().Log("OnMessage[OpenManualPdf]: manual PDF not found (%s)", file.c_str());
}

void Velmora::OnForwardKeyEventMessage(int dataSize, const void* data) {
  if (IsEmptyPayload(dataSize, data))
    return;
  const auto event = vlm::ParsePageKeyEvent(PayloadText(dataSize, data));
  if (!event)
    return;
  const auto key = vlm::MakeForwardedKey(*event);
  // Only presses carry accelerators; a key goes to the window's accelerators and never back into the page.
  if (!key || !key->keyDown)
    return;
  keel::PostKeyToWindowAccelerators(GetParentWindow(),
                                    {key->virtualKey, key->shift, key->control, key->alt, key->meta});
}

void Velmora::OnClipboardReadRequest() {
  const std::weak_ptr<bool> alive = mAliveToken;
  keel::RequestClipboardText([this, alive](const std::string& text) {
    if (alive.expired())
      return;
    // Always answered: an empty clipboard gives an empty payload, which the page reads as empty text.
    SendArbitraryMsgFromDelegate(vlm::MsgTag::kClipboardReadResult, static_cast<int>(text.size()),
                                 text.empty() ? nullptr : text.data());
  });
}


// Wire protocol between processor and page: the five script calls, the parameter descriptions, and
// the parser of the six page messages.
#include "Keel/Core/WebViewEditorDelegate.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "Keel/Core/Base64.h"

namespace keel {
namespace {

using nlohmann::json;

void AppendInt(std::string& s, int value) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof(buf), value);
  s.append(buf, r.ptr);
}

// What "%f" prints in the C locale: six decimals, never a locale's decimal comma.
void AppendFixed6(std::string& s, double value) {
  char buf[400]; // the longest double in fixed notation with six decimals fits
  const auto r = std::to_chars(buf, buf + sizeof(buf), value, std::chars_format::fixed, 6);
  s.append(buf, r.ptr);
}

void AppendBase64(std::string& s, int dataSize, const void* data) {
  if (dataSize <= 0 || !data)
    return;
  const size_t start = s.size();
  s.resize(start + static_cast<size_t>(Base64EncodedBufferSize(dataSize)));
  Base64EncodeToBuffer(data, s.data() + start, dataSize);
  s.resize(start + std::strlen(s.data() + start));
}

// Base64 buffer length the page expects in SAMFD: characters plus one, 0 for no data.
int Base64BufferLength(int dataSize, const void* data) {
  return dataSize > 0 && data ? Base64EncodedBufferSize(dataSize) : 0;
}

bool ReadInt(const json& j, const char* key, int& out) {
  const auto it = j.find(key);
  if (it == j.end() || !it->is_number_integer())
    return false;
  if (it->is_number_unsigned()) {
    const auto v = it->get<json::number_unsigned_t>();
    if (v > static_cast<json::number_unsigned_t>(INT_MAX))
      return false;
    out = static_cast<int>(v);
    return true;
  }
  const auto v = it->get<json::number_integer_t>();
  if (v < INT_MIN || v > INT_MAX)
    return false;
  out = static_cast<int>(v);
  return true;
}

bool ReadNumber(const json& j, const char* key, double& out) {
  const auto it = j.find(key);
  if (it == j.end() || !it->is_number())
    return false;
  out = it->get<double>();
  return true;
}

bool ReadBool(const json& j, const char* key, bool& out) {
  const auto it = j.find(key);
  if (it == j.end() || !it->is_boolean())
    return false;
  out = it->get<bool>();
  return true;
}

bool ReadByte(const json& j, const char* key, uint8_t& out) {
  int v = 0;
  if (!ReadInt(j, key, v) || v < 0 || v > 255)
    return false;
  out = static_cast<uint8_t>(v);
  return true;
}

// The browser sends key codes as numbers of any kind; a boolean counts as 0 or 1.
bool ReadKeyCode(const json& j, int& out) {
  const auto it = j.find("keyCode");
  if (it == j.end())
    return false;
  if (it->is_boolean()) {
    out = it->get<bool>() ? 1 : 0;
    return true;
  }
  if (it->is_number_integer())
    return ReadInt(j, "keyCode", out);
  if (it->is_number_float()) {
    const double v = it->get<double>();
    if (!(v > INT_MIN - 1.0 && v < INT_MAX + 1.0))
      return false;
    out = static_cast<int>(v);
    return true;
  }
  return false;
}

// Named keys ("Enter", "ArrowLeft") are longer than the record holds: keep at most 4 bytes, never
// half of a UTF-8 character.
void CopyKeyText(const std::string& text, char (&dest)[5]) {
  size_t n = std::min<size_t>(text.size(), 4);
  if (n < text.size())
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
      --n;
  std::memcpy(dest, text.data(), n);
  dest[n] = 0;
}

} // namespace

WebViewEditorDelegate::WebViewEditorDelegate(int nParams)
    : IEditorDelegate(nParams), IWebView(true, false, "") {}

WebViewEditorDelegate::~WebViewEditorDelegate() {
  // No control event may reach this object once its derived parts are gone.
  CloseWebView();
  mEditorInitFunc = nullptr;
}

void* WebViewEditorDelegate::OpenWindow(void* parent) {
  mParentWnd = parent;
  OpenWebView(parent, static_cast<float>(GetEditorWidth()), static_cast<float>(GetEditorHeight()));
  return mParentWnd;
}

void WebViewEditorDelegate::CloseWindow() {
  mContentLoaded = false;
  CloseWebView();
}

void WebViewEditorDelegate::OnParentWindowResize(int width, int height) {
  SetWebViewBounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 1.0f);
  EditorResizeFromUI(width, height, false);
}

bool WebViewEditorDelegate::OnKeyDown(const KeyPressRecord& key) {
  // The space bar belongs to the host (transport), not to the page.
  if (key.VK == 32) {
    PostKeyDownToParent(32);
    return true;
  }
  return false;
}

bool WebViewEditorDelegate::OnKeyUp(const KeyPressRecord&) {
  return true;
}

void WebViewEditorDelegate::EvaluateScript(const std::string& script) {
  EvaluateJavaScript(script.c_str(), nullptr);
}

void WebViewEditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalizedValue) {
  std::string s;
  s.reserve(static_cast<size_t>(std::max(mMaxJSStringLength, 0)));
  s += "SCVFD(";
  AppendInt(s, ctrlTag);
  s += ", ";
  AppendFixed6(s, normalizedValue);
  s += ")";
  EvaluateScript(s);
}

void WebViewEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                                       const void* data) {
  std::string s;
  s.reserve(static_cast<size_t>(std::max(mMaxJSStringLength, 0)));
  s += "SCMFD(";
  AppendInt(s, ctrlTag);
  s += ", ";
  AppendInt(s, msgTag);
  s += ", ";
  AppendInt(s, dataSize);
  s += ", '";
  AppendBase64(s, dataSize, data);
  s += "')";
  EvaluateScript(s);
}

void WebViewEditorDelegate::SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data) {
  std::string s;
  s.reserve(static_cast<size_t>(std::max(mMaxJSStringLength, 0)));
  s += "SAMFD(";
  AppendInt(s, msgTag);
  s += ", ";
  AppendInt(s, Base64BufferLength(dataSize, data));
  s += ", '";
  AppendBase64(s, dataSize, data);
  s += "')";
  EvaluateScript(s);
}

void WebViewEditorDelegate::SendMidiMsgFromDelegate(const MidiMsg& msg) {
  std::string s = "SMMFD(";
  AppendInt(s, msg.status);
  s += ", ";
  AppendInt(s, msg.data1);
  s += ", ";
  AppendInt(s, msg.data2);
  s += ")";
  EvaluateScript(s);
}

void WebViewEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    const IParam* param = GetParam(paramIdx);
    if (!param)
      return;
    value = param->ToNormalized(value);
  }
  std::string s = "SPVFD(";
  AppendInt(s, paramIdx);
  s += ", ";
  AppendFixed6(s, value);
  s += ")";
  EvaluateScript(s);
}

void WebViewEditorDelegate::OnWebViewReady() {
  if (mEditorInitFunc)
    mEditorInitFunc();
}

std::string WebViewEditorDelegate::MakeParamDescriptionsMessage() const {
  json params = json::array();
  for (int i = 0; i < NParams(); ++i) {
    HeapString description;
    GetParam(i)->GetJSON(description, i);
    json parsed = json::parse(description.Get(), nullptr, false);
    // A name the description cannot carry leaves that parameter out rather than the whole list.
    if (!parsed.is_discarded())
      params.push_back(std::move(parsed));
  }
  const json message = {{"id", "params"}, {"params", std::move(params)}};
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

void WebViewEditorDelegate::OnWebContentLoaded() {
  mContentLoaded = true;
  const std::string message = MakeParamDescriptionsMessage();
  SendArbitraryMsgFromDelegate(-1, static_cast<int>(message.size()), message.data());
  OnUIOpen();
}

int WebViewEditorDelegate::MapKeyCodeToVirtualKey(int keyCode) {
  switch (keyCode) {
  case 8:
  case 9:
  case 13:
  case 16:
  case 17:
  case 18:
  case 19:
  case 20:
  case 27:
  case 45:
  case 46:
    return keyCode;
  default:
    break;
  }
  if ((keyCode >= 32 && keyCode <= 40) || (keyCode >= 48 && keyCode <= 57) ||
      (keyCode >= 65 && keyCode <= 90) || (keyCode >= 112 && keyCode <= 123))
    return keyCode;
  if (keyCode >= 96 && keyCode <= 105) // keypad digits act as the digits
    return keyCode - 96 + 48;
  return 0;
}

void WebViewEditorDelegate::OnMessageFromWebView(const char* text) {
  try {
    if (!text)
      return;
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object())
      return;
    const auto msgIt = j.find("msg");
    if (msgIt == j.end() || !msgIt->is_string())
      return;
    const std::string& msg = msgIt->get_ref<const std::string&>();

    if (msg == "SPVFUI") {
      double value = 0.0;
      int paramIdx = 0;
      if (ReadNumber(j, "value", value) && ReadInt(j, "paramIdx", paramIdx) && GetParam(paramIdx))
        SendParameterValueFromUI(paramIdx, value);
    } else if (msg == "BPCFUI") {
      int paramIdx = 0;
      if (ReadInt(j, "paramIdx", paramIdx) && GetParam(paramIdx))
        BeginParamChangeFromUI(paramIdx);
    } else if (msg == "EPCFUI") {
      int paramIdx = 0;
      if (ReadInt(j, "paramIdx", paramIdx) && GetParam(paramIdx))
        EndParamChangeFromUI(paramIdx);
    } else if (msg == "SAMFUI") {
      int ctrlTag = 0;
      int msgTag = 0;
      if (!ReadInt(j, "ctrlTag", ctrlTag) || !ReadInt(j, "msgTag", msgTag))
        return;
      std::vector<unsigned char> bytes;
      const auto dataIt = j.find("data");
      if (dataIt != j.end() && dataIt->is_string()) {
        const std::string& b64 = dataIt->get_ref<const std::string&>();
        if (b64.size() > static_cast<size_t>(INT_MAX))
          return;
        const int length = static_cast<int>(b64.size());
        // Padding alone carries no bytes, whatever length the size rule would give it.
        const bool onlyPadding = b64.find_first_not_of('=') == std::string::npos;
        const int size = onlyPadding ? 0 : Base64DecodedSize(b64.data(), length);
        if (size > 0) {
          bytes.resize(static_cast<size_t>(size));
          Base64DecodeToBuffer(b64.data(), length, bytes.data());
        }
      }
      SendArbitraryMsgFromUI(msgTag, ctrlTag, static_cast<int>(bytes.size()),
                             bytes.empty() ? nullptr : bytes.data());
    } else if (msg == "SMMFUI") {
      MidiMsg midi;
      if (ReadByte(j, "statusByte", midi.status) && ReadByte(j, "dataByte1", midi.data1) &&
          ReadByte(j, "dataByte2", midi.data2))
        SendMidiMsgFromUI(midi);
    } else if (msg == "SKPFUI") {
      KeyPressRecord key;
      int keyCode = 0;
      bool isUp = false;
      const auto textIt = j.find("utf8");
      if (!ReadBool(j, "A", key.A) || !ReadBool(j, "C", key.C) || !ReadBool(j, "S", key.S) ||
          !ReadKeyCode(j, keyCode) || !ReadBool(j, "isUp", isUp) || textIt == j.end() || !textIt->is_string())
        return;
      key.VK = MapKeyCodeToVirtualKey(keyCode);
      CopyKeyText(textIt->get_ref<const std::string&>(), key.utf8);
      if (isUp)
        OnKeyUp(key);
      else
        OnKeyDown(key);
    }
  } catch (const std::exception&) {
    // A page message must never end the program; the page resends what matters.
  }
}

} // namespace keel

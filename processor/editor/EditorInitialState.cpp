// What the page receives once it has loaded and again whenever it asks: the parameters, the variant, the
// real values, the stored bank state and preferences, and a probe of the page's viewport for the log.
#include <bit>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "common/AppFolders.h"
#include "common/Logger.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "processor/editor/PageResource.h"
#include "processor/librarian/VelmoraPresets.h"

namespace {

constexpr const char* kViewportProbeScript =
    "JSON.stringify({iw: window.innerWidth,ih: window.innerHeight,dpr: window.devicePixelRatio,"
    "docW: document.documentElement.scrollWidth,docH: document.documentElement.scrollHeight,"
    "bodyW: document.body ? document.body.scrollWidth : -1,bodyH: document.body ? document.body.scrollHeight "
    ": -1,"
    "ua: navigator.userAgent})";

// The probe's answer only feeds the log.
void LogViewportProbe(const char* json) {
  GetLogger().Log("Viewport: %s", json ? json : "(null)");
}

void AppendLE(std::vector<unsigned char>& out, const void* value, size_t size) {
  // The records are little-endian on the wire; so is every machine this builds for.
  static_assert(std::endian::native == std::endian::little);
  const auto* bytes = static_cast<const unsigned char*>(value);
  out.insert(out.end(), bytes, bytes + size);
}

} // namespace

void Velmora::EvaluateJavaScript(const char* script, std::function<void(const char* json)> done) {
  if (mScriptObserver) {
    mScriptObserver(script, std::move(done));
    return;
  }
  keel::IKeelAPP::EvaluateJavaScript(script, std::move(done));
}

void Velmora::OnWebContentLoaded() {
  GetLogger().Log("OnWebContentLoaded");
  SendInitialStateToUI();
}

void Velmora::SendParamRealValues() {
  // One message of 12-byte records {int32 index, float64 real value}, packed.
  std::vector<unsigned char> records;
  records.reserve(static_cast<size_t>(NParams()) * 12);
  for (int i = 0; i < NParams(); ++i) {
    const std::int32_t index = i;
    const double value = GetParam(i)->Value();
    AppendLE(records, &index, sizeof(index));
    AppendLE(records, &value, sizeof(value));
  }
  SendArbitraryMsgFromDelegate(vlm::MsgTag::kParamRealValue, static_cast<int>(records.size()),
                               records.data());
}

void Velmora::SendInitialStateToUI() {
  // The page may have loaded anew: the next idle tick gives it every control value again.
  mSentControlValues.Forget();
  // 1. Parameter descriptions and normalized values, as the web-view delegate sends them.
  keel::IKeelAPP::OnWebContentLoaded();
  // 2. The variant: this processor is the instrument.
  static constexpr char kVariant[] = "synth";
  SendArbitraryMsgFromDelegate(vlm::MsgTag::kPluginVariant, 5, kVariant);
  // 3. Every parameter's real value.
  SendParamRealValues();
  // 4. The stored bank state; the lock is held for the copy only, never across a send.
  const std::string bankState = GetBankStateJson();
  if (!bankState.empty()) {
    SendArbitraryMsgFromDelegate(vlm::MsgTag::kBankStateRestore, static_cast<int>(bankState.size()),
                                 bankState.data());
    GetLogger().Log("BankStateRestore sent: %zu bytes", bankState.size());
  } else {
    GetLogger().Log("BankStateRestore skipped (empty)");
  }
  // 5. The preset library, after the factory presets are installed (once per process).
  vlm::SendPresetLibrary(*this);
  // 6. The page's preferences.
  if (!mUIPrefsJson.empty()) {
    SendArbitraryMsgFromDelegate(vlm::MsgTag::kUIPrefs, static_cast<int>(mUIPrefsJson.size()),
                                 mUIPrefsJson.data());
    GetLogger().Log("UIPrefs sent: %zu bytes", mUIPrefsJson.size());
  } else {
    GetLogger().Log("UIPrefs: no preferences file yet");
  }
  // 7. The dedicated port list.
  SendMidiPortList(std::string(), std::string());
  // 8. The learn state.
  SendMidiLearnState();
  // 9. The viewport probe.
  EvaluateJavaScript(kViewportProbeScript, LogViewportProbe);
}

void Velmora::LoadIndexHtml() {
  vlm::PageTarget target;
  target.loadFile = [this](const char* path) { LoadFile(path); };
  target.loadHtml = [this](const char* html) { LoadHTML(html); };
  vlm::ShowEditorPage(vlm::GetEmbeddedEditorPage(), GetAppDataFolder(), target);
}

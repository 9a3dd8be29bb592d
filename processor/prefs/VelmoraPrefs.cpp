// The processor's share of the page's preferences: the text it keeps, preferences.json and the knob mode.
#include "processor/Velmora.h"

#include "common/Logger.h"
#include "processor/prefs/UIPrefs.h"

void Velmora::LoadUIPrefs() {
  mUIPrefsJson = vlm::LoadUIPrefsText();
}

void Velmora::SaveUIPrefs(const std::string& payload) {
  vlm::SaveUIPrefsText(mUIPrefsJson, payload);
}

void Velmora::OnUIPrefsPayload(const std::string& payload) {
  if (payload.empty())
    mUIPrefsJson.clear(); // the file stays; the page sends its whole object again on its next change
  else
    SaveUIPrefs(payload);
  ApplyKnobModePref();
}

void Velmora::ApplyKnobModePref() {
  // The per-parameter takeover state stays as it is: only the rule for the next controller move changes.
  mTakeoverMode = vlm::KnobModeFromPrefsText(mUIPrefsJson);
  GetLogger().Log("UIPrefs: knobMode=%d", mTakeoverMode.load());
}

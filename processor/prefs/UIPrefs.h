// The editor page's preferences: kept as compact JSON text, persisted in preferences.json, seeded with the
// user's language on a first run, and read for the one key the processor acts on ("knobMode").
#pragma once

#include <string>

namespace vlm {

// <app-data folder>/preferences.json
std::string GetUIPrefsPath();

// "ja" when the user's message locale (LC_ALL, else LC_MESSAGES, else LANG) starts with "ja" in any letter
// case, else "en".
std::string GetOsUiLanguage();

// The preferences text at start: the file's object as compact JSON; empty when the file cannot be read or
// holds no object; {"lang": <OS language>} when there is no file (nothing is written then). Logs its outcome.
std::string LoadUIPrefsText();

// Takes the page's payload: a JSON object replaces text and is written to preferences.json; anything else is
// refused and leaves text alone. Logs the outcome; a failed write keeps the new text. False when refused.
bool SaveUIPrefsText(std::string& text, const std::string& payload);

// The takeover mode of mapped controllers that "knobMode" chooses: "jump" -> 0, "pickup" -> 1, anything else
// (a missing key, another type, an empty or malformed text) -> 2, scaling.
int KnobModeFromPrefsText(const std::string& text);

} // namespace vlm

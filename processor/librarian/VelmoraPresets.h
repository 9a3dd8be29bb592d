// The page's preset actions (tag 202) and the preset tree message (tag 204) of a processor.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

class Velmora;

namespace vlm {

// The native dialogs a preset action opens; tests put choosers of their own here. Each returns false when
// the dialog is dismissed or cannot be shown.
struct PresetDialogs {
  std::function<bool(int kind, bool save, const std::filesystem::path& startFolder,
                     const std::string& defaultName, std::filesystem::path& path)>
      chooseFile;
  std::function<bool(const std::filesystem::path& startFolder, const std::string& title,
                     std::filesystem::path& path)>
      chooseFolder;
};

// The real dialogs, owned by the processor's editor window (none while the editor is closed).
PresetDialogs MakeNativePresetDialogs(Velmora& processor);

// Threads: UI thread. Installs the factory presets once per process (a second caller waits for the first
// to finish), then sends {"patches", "presetRoot"} as tag 204.
void SendPresetLibrary(Velmora& processor);

// Threads: UI thread. Runs one preset action and answers it (tag 203, or 204 for "refreshLibrary").
// Engine effects go through the processor's thread-safe calls: the mute ramp, posted note-offs and effect
// resets, and parameters stored and marked for the audio thread.
void HandlePresetAction(Velmora& processor, const std::string& payload, const PresetDialogs& dialogs);
void HandlePresetAction(Velmora& processor, const std::string& payload);

} // namespace vlm

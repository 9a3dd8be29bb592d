// settings.ini: the program's audio and MIDI device settings in the per-user local data folder.
#pragma once

#include "standalone/devices/AudioMidiSettings.h"

#include <string>

namespace vlm {

// The local application-data folder joined with "Velmora/settings.ini"; empty when no folder can be named.
std::string SettingsFilePath();

// Reads the file into settings (creating the folder on a first start, when the settings keep their
// defaults), then writes the file back in canonical form. Always true.
bool ReadSettingsFile(const std::string& path, AudioMidiSettings& settings);
// Writes every key from the settings; other keys and sections of the file stay.
void WriteSettingsFile(const std::string& path, const AudioMidiSettings& settings);

} // namespace vlm

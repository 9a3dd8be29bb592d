// Reading and writing settings.ini through the profile functions.
#include "standalone/devices/SettingsFile.h"

#include "Keel/Platform/FileSystemUTF8.h"
#include "Keel/Platform/ProfileUTF8.h"
#include "Keel/Platform/SpecialFolders.h"

#include <cstdio>
#include <vector>

namespace vlm {
namespace {

struct IntKey {
  const char* section;
  const char* key;
  int AudioMidiSettings::*field;
  bool isUnsigned; // written as "%u", else "%i"
  int readDefault;
};

struct TextKey {
  const char* section;
  const char* key;
  std::string AudioMidiSettings::*field;
  const char* readDefault;
};

// One row per key, in file order; a missing key in an existing file reads as the row's default.
struct Row {
  const IntKey* intKey;
  const TextKey* textKey;
};

constexpr IntKey kDriver{"audio", "driver", &AudioMidiSettings::driverType, true, 0};
const TextKey kAudioIn{"audio", "indev", &AudioMidiSettings::audioInputDevice, "Built-in Input"};
const TextKey kAudioOut{"audio", "outdev", &AudioMidiSettings::audioOutputDevice, "Built-in Output"};
constexpr IntKey kIn1{"audio", "in1", &AudioMidiSettings::audioInputChannel1, true, 1};
constexpr IntKey kIn2{"audio", "in2", &AudioMidiSettings::audioInputChannel2, true, 2};
constexpr IntKey kOut1{"audio", "out1", &AudioMidiSettings::audioOutputChannel1, true, 1};
constexpr IntKey kOut2{"audio", "out2", &AudioMidiSettings::audioOutputChannel2, true, 2};
constexpr IntKey kBuffer{"audio", "buffer", &AudioMidiSettings::bufferFrames, false, 512};
constexpr IntKey kRate{"audio", "sr", &AudioMidiSettings::sampleRate, false, 44100};
const TextKey kMidiIn{"midi", "indev", &AudioMidiSettings::midiInput, "no input"};
const TextKey kMidiOut{"midi", "outdev", &AudioMidiSettings::midiOutput, "no output"};
constexpr IntKey kInChan{"midi", "inchan", &AudioMidiSettings::midiInputChannel, true, 0};
constexpr IntKey kOutChan{"midi", "outchan", &AudioMidiSettings::midiOutputChannel, true, 0};

const Row kRows[] = {{&kDriver, nullptr}, {nullptr, &kAudioIn}, {nullptr, &kAudioOut}, {&kIn1, nullptr},
                     {&kIn2, nullptr},    {&kOut1, nullptr},    {&kOut2, nullptr},     {&kBuffer, nullptr},
                     {&kRate, nullptr},   {nullptr, &kMidiIn},  {nullptr, &kMidiOut},  {&kInChan, nullptr},
                     {&kOutChan, nullptr}};

} // namespace

std::string SettingsFilePath() {
  const std::string local = keel::GetSpecialFolderPath(keel::SpecialFolder::LocalAppData);
  if (local.empty()) return {};
  return keel::JoinPath(keel::JoinPath(local, "Velmora"), "settings.ini");
}

bool ReadSettingsFile(const std::string& path, AudioMidiSettings& settings) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  keel::FileStatus status;
  if (!folder.empty() && keel::statUTF8(folder.c_str(), &status) != 0) {
    keel::CreateDirectoryTreeUTF8(folder);
  } else if (keel::statUTF8(path.c_str(), &status) == 0) {
    for (const Row& row : kRows) {
      if (row.intKey) {
        const IntKey& k = *row.intKey;
        settings.*k.field = int(keel::GetPrivateProfileIntUTF8(k.section, k.key, k.readDefault, path.c_str()));
      } else {
        // Read without a length cap: tab-joined port names easily pass 100 bytes.
        const TextKey& k = *row.textKey;
        settings.*k.field = keel::GetPrivateProfileStringUTF8(k.section, k.key, std::string(k.readDefault),
                                                              path.c_str());
      }
    }
  }
  WriteSettingsFile(path, settings);
  return true;
}

void WriteSettingsFile(const std::string& path, const AudioMidiSettings& settings) {
  if (path.empty()) return;
  // One replacement of the file per save: each key on its own would rewrite and sync it thirteen times.
  std::vector<keel::ProfileValue> values;
  for (const Row& row : kRows) {
    if (row.intKey) {
      const IntKey& k = *row.intKey;
      char text[32];
      if (k.isUnsigned)
        std::snprintf(text, sizeof text, "%u", unsigned(settings.*k.field));
      else
        std::snprintf(text, sizeof text, "%i", settings.*k.field);
      values.push_back({k.section, k.key, text});
    } else {
      const TextKey& k = *row.textKey;
      values.push_back({k.section, k.key, settings.*k.field});
    }
  }
  keel::WritePrivateProfileStringsUTF8(values, path.c_str());
}

} // namespace vlm

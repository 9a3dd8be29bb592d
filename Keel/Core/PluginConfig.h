// The record through which a plug-in configures every framework base; defaults are this instrument's values.
#pragma once

#include <cstdint>

namespace keel {

// Packs a four-character code such as "VLMP" big-end first.
constexpr int MakeFourCC(const char (&code)[5]) {
  return static_cast<int>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                          (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                          (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                          static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

constexpr int PackVersion(int major, int minor, int bugfix) {
  return (major << 16) | (minor << 8) | bugfix;
}

// Plug types: 1 is an instrument (audio inputs never connected); other values are effects.
constexpr int kPlugTypeEffect = 0;
constexpr int kPlugTypeInstrument = 1;

struct PluginConfig {
  int paramCount = 378;
  int presetCount = 1;
  const char* channelIOText = "0-2";
  const char* pluginName = "Velmora";
  const char* productName = "Velmora";
  const char* makerName = "Ostrand";
  int version = PackVersion(1, 0, 13);
  int uniqueId = MakeFourCC("VLMP");
  int makerId = MakeFourCC("Ostd");
  int latencySamples = 0;
  bool midiIn = true;
  bool midiOut = true;
  bool midiExtraCapability = false; // nothing reads it
  bool reservedFlag = false;        // copied into the plug-in base; nothing reads it
  int plugType = kPlugTypeInstrument;
  bool hasUI = true;
  int editorWidth = 1180;
  int editorHeight = 760;
  int minEditorWidth = 910;
  int maxEditorWidth = 100000;
  int minEditorHeight = 650;
  int maxEditorHeight = 100000;
  bool hostCanResize = true;
  const char* identifierText1 = ""; // nothing reads them
  const char* identifierText2 = "";
};

static_assert(PackVersion(1, 0, 13) == 65549);

} // namespace keel

// What this product tells an HMX host about itself: names, identifiers, category, channel layout and
// MIDI nodes. Static data; nothing of it depends on a running instance.
#pragma once

#include "Keel/Core/PluginConfig.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Types.h"

namespace keel {

struct HMXProductDescription {
  const char* effectNames = "Velmora\nVLM"; // each line is one effect name and one package name
  uint32_t category = 0x800;
  const char* channelIOText = "0-2";
  uint32_t manufacturerID = HMX_FourCC("Ostd");
  uint32_t productID = HMX_FourCC("VLMP");
  uint32_t pluginTypeID = HMX_FourCC("VLMI"); // native type of configuration 0
  const char* midiNodeName = "Velmora Midi";
  uint32_t midiChannelMask = 1;
  bool needsInputMIDI = true;
  bool needsOutputMIDI = true;
  bool needsTransport = true;
  bool canBypass = true;
  int32_t latencySamples = 0;
  const char* effectID = "com.ostrand.hmx.Velmora";
  const char* makerName = "Ostrand";
  uint32_t packageVersion = uint32_t(PackVersion(1, 0, 13));
};

// The description and the framework's configuration name the same product.
static_assert(HMXProductDescription{}.productID == uint32_t(PluginConfig{}.uniqueId));
static_assert(HMXProductDescription{}.manufacturerID == uint32_t(PluginConfig{}.makerId));
static_assert(HMXProductDescription{}.packageVersion == uint32_t(PluginConfig{}.version));
static_assert(HMXProductDescription{}.latencySamples == PluginConfig{}.latencySamples);

} // namespace keel

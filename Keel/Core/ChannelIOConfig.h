// One channel input/output configuration parsed from text such as "0-2": its input and output buses.
#pragma once

#include "Keel/Core/PtrList.h"

namespace keel {

// Stored as int: 0 input, 1 output.
enum ERoute : int { kInput = 0, kOutput = 1 };

// A bus of a configuration; a wildcard bus ("*") holds kWildcardChannels.
struct BusInfo {
  static constexpr int kWildcardChannels = -64;
  ERoute direction = kInput;
  int channelCount = 0;
  BusInfo(ERoute dir, int count) : direction(dir), channelCount(count) {}
};

struct ChannelIOConfig {
  PtrList<BusInfo> inputBuses;
  PtrList<BusInfo> outputBuses;

  const PtrList<BusInfo>& Buses(ERoute dir) const { return dir == kInput ? inputBuses : outputBuses; }
  PtrList<BusInfo>& Buses(ERoute dir) { return dir == kInput ? inputBuses : outputBuses; }
  int NBuses(ERoute dir) const { return Buses(dir).GetSize(); }
  // Channel count of a bus, 0 when this configuration has no such bus.
  int NChansOnBus(ERoute dir, int busIndex) const;
  // Sum over the buses of a direction (wildcards count as kWildcardChannels).
  int TotalNChannels(ERoute dir) const;
};

} // namespace keel

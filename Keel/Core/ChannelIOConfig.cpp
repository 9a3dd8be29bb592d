// Bus queries of one channel configuration.
#include "Keel/Core/ChannelIOConfig.h"

namespace keel {

int ChannelIOConfig::NChansOnBus(ERoute dir, int busIndex) const {
  const BusInfo* bus = Buses(dir).Get(busIndex);
  return bus ? bus->channelCount : 0;
}

int ChannelIOConfig::TotalNChannels(ERoute dir) const {
  int total = 0;
  for (int i = 0; i < NBuses(dir); ++i)
    total += Buses(dir).Get(i)->channelCount;
  return total;
}

} // namespace keel

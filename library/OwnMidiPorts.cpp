// The program's own MIDI ports.
#include "library/OwnMidiPorts.h"

#include <string_view>

namespace vlm {

bool IsOwnMidiPort(const std::string& portName) {
  // JACK names a port "client:port" and renames a second client of the same name "client-01";
  // ALSA names it "client:port client-id:port-id".
  const size_t colon = portName.find(':');
  if (colon == std::string::npos)
    return false;
  const std::string_view client(portName.data(), colon);
  const std::string_view name(kMidiClientName);
  if (client.substr(0, name.size()) != name)
    return false;
  const std::string_view rest = client.substr(name.size());
  if (rest.empty())
    return true;
  return rest.size() > 1 && rest[0] == '-' &&
         rest.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

} // namespace vlm

// The plug-in state chunk as a host hands it back: read from any start position, and the two JSON texts
// it carries (bank state, extension) parsed as the restore parses them.
#include <cstddef>
#include <cstdint>

#include "Keel/Core/BoundedJson.h"
#include "Keel/Core/ByteChunk.h"
#include "processor/state/PluginState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  keel::ByteChunk chunk;
  chunk.PutBytes(data + 1, static_cast<int>(size - 1));
  // The first byte picks the start: mostly 0, sometimes inside or past the chunk.
  const int start = data[0] < 200 ? 0 : (data[0] - 200) * 61 - 500;
  const vlm::PluginStateRead read = vlm::ReadPluginState(chunk, start);
  if (read.position > chunk.Size())
    __builtin_trap(); // read past the end
  for (const auto* text : {&read.bankState, &read.extension}) {
    if (!text->has_value())
      continue;
    const nlohmann::json value = keel::ParseJsonBounded(**text);
    if (!value.is_discarded())
      (void)value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
  return 0;
}

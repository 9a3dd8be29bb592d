// MKS-80 system-exclusive parsers on arbitrary bytes: parameter messages, handshake frames, and the
// search for DAT frames in a dump file's bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "library/Mks80Parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)vlm::ParseIprMessage(data, size);
  (void)vlm::ParseAprMessage(data, size);
  (void)vlm::ParseHandshakeMessage(data, size);
  for (const vlm::MksFrameSpan& frame : vlm::FindDatFrames(std::span<const std::uint8_t>(data, size))) {
    if (frame.offset + frame.length > size)
      __builtin_trap(); // a frame outside the bytes it was found in
    (void)vlm::ParseHandshakeMessage(data + frame.offset, static_cast<std::size_t>(frame.length));
  }
  return 0;
}

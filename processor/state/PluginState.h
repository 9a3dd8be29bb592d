// The processor's state chunk: the parameter value block, the page's bank state, the dedicated port names
// and the JSON extension, written and read with every length checked against the chunk.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "Keel/Core/ByteChunk.h"
#include "common/EParams.h"

namespace vlm {

// Values of parameters 0..180, then of their assignments 189..369; 181..188 and 370..377 ride in the
// extension.
constexpr int kStateValueCount = 362;
constexpr int kStateFirstOnlyInExtension = 181;
constexpr int kStateValueBlockBytes = kStateValueCount * 8;

// The parameter index of value k of the block.
constexpr int StateValueParam(int k) {
  return k < kStateFirstOnlyInExtension ? k : k + (kNumSoundParams - kStateFirstOnlyInExtension);
}
static_assert(StateValueParam(kStateValueCount - 1) == 369);

struct PluginState {
  std::array<double, kStateValueCount> values{};
  std::string bankState;
  std::string midiInName;
  std::string midiOutName;
  std::string extension;
};

// Appends the whole layout; false when the chunk could not grow (nothing after the value block is then
// written).
bool WritePluginState(keel::ByteChunk& chunk, const PluginState& state);

// What a chunk held, item by item; an item that is absent stays empty.
struct PluginStateRead {
  int valueCount = 0; // values read from the block (the rest was missing)
  std::array<double, kStateValueCount> values{};
  std::optional<std::string> bankState; // present when its length field was there
  std::optional<std::string> midiInName;
  std::optional<std::string> midiOutName;
  std::optional<std::string> extension;
  // The position after the last item read; -1 when the value block or the output port name was cut short.
  int position = -1;
};

// Never reads outside the chunk: a negative length reads as an empty string, and a string whose declared
// bytes run past the end reads as empty and ends the chunk there. A bank state keeps only the text before
// its first zero byte.
PluginStateRead ReadPluginState(const keel::ByteChunk& chunk, int startPos);

} // namespace vlm

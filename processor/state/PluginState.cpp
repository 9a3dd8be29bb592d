// Writing and reading the processor's state chunk.
#include "processor/state/PluginState.h"

#include <cstdint>
#include <cstring>

namespace vlm {

namespace {

long long Remaining(const keel::ByteChunk& chunk, int position) {
  return position < 0 ? 0 : static_cast<long long>(chunk.Size()) - position;
}

// A length-prefixed string at position, whose 4 length bytes the caller has checked. Returns the position
// after it; a declared length past the end gives an empty text and the chunk's end.
int ReadString(const keel::ByteChunk& chunk, int position, std::string& text) {
  std::int32_t length = 0;
  const int start = chunk.Get(&length, position);
  text.clear();
  if (length <= 0)
    return start;
  if (static_cast<long long>(start) + length > chunk.Size())
    return chunk.Size();
  text.assign(reinterpret_cast<const char*>(chunk.GetData() + start), static_cast<std::size_t>(length));
  return start + length;
}

bool AppendString(keel::ByteChunk& chunk, const std::string& text) {
  const int before = chunk.Size();
  const auto length = static_cast<std::int32_t>(text.size());
  if (text.size() > static_cast<std::size_t>(INT32_MAX - 4) || chunk.Put(length) != before + 4)
    return false;
  return length == 0 || chunk.PutBytes(text.data(), length) == before + 4 + length;
}

} // namespace

bool WritePluginState(keel::ByteChunk& chunk, const PluginState& state) {
  for (const double value : state.values) {
    const int before = chunk.Size();
    if (chunk.Put(value) != before + 8)
      return false;
  }
  return AppendString(chunk, state.bankState) && AppendString(chunk, state.midiInName) &&
         AppendString(chunk, state.midiOutName) && AppendString(chunk, state.extension);
}

PluginStateRead ReadPluginState(const keel::ByteChunk& chunk, int startPos) {
  PluginStateRead read;
  int p = startPos;
  for (int k = 0; k < kStateValueCount; ++k) {
    if (Remaining(chunk, p) < 8) {
      read.position = -1;
      return read;
    }
    p = chunk.Get(&read.values[static_cast<std::size_t>(k)], p);
    read.valueCount = k + 1;
  }
  read.position = p;
  // A chunk may end after any of the strings: older layouts stopped there.
  if (Remaining(chunk, p) < 4)
    return read;
  std::string text;
  p = ReadString(chunk, p, text);
  text.resize(std::strlen(text.c_str())); // the page's text ends at a zero byte
  read.bankState = text;
  read.position = p;
  if (Remaining(chunk, p) < 4)
    return read;
  p = ReadString(chunk, p, text);
  read.midiInName = text;
  read.position = p;
  if (Remaining(chunk, p) < 4) {
    read.position = -1; // an input name without an output name: a cut chunk
    return read;
  }
  p = ReadString(chunk, p, text);
  read.midiOutName = text;
  read.position = p;
  if (Remaining(chunk, p) < 4)
    return read;
  p = ReadString(chunk, p, text);
  read.extension = text;
  read.position = p;
  return read;
}

} // namespace vlm

// Reading and writing state chunks; every read is bounds-checked so hostile state cannot move the reader
// backwards or past the end.
#include "Keel/Core/ByteChunk.h"

#include <climits>
#include <cstring>
#include <vector>

namespace keel {

int ByteChunk::PutBytes(const void* data, int size) {
  const int old = Size();
  if (size <= 0 || !data)
    return old;
  const long long wanted = static_cast<long long>(old) + size;
  if (wanted > INT_MAX)
    return old;
  // The source may lie in this chunk, which growing can move.
  std::vector<uint8_t> ownCopy;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  if (GetData() && bytes >= GetData() && bytes < GetData() + old) {
    ownCopy.assign(bytes, bytes + size);
    bytes = ownCopy.data();
  }
  mBuf.Resize(static_cast<int>(wanted), false);
  if (Size() != wanted)
    return old;
  std::memcpy(GetData() + old, bytes, static_cast<size_t>(size));
  return Size();
}

int ByteChunk::GetBytes(void* out, int size, int position) const {
  if (position < 0 || size < 0 || static_cast<long long>(position) + size > Size())
    return -1;
  if (size > 0)
    std::memcpy(out, GetData() + position, static_cast<size_t>(size));
  return position + size;
}

int ByteChunk::PutStr(const char* text) {
  const int old = Size();
  const size_t length = text ? strlen(text) : 0;
  if (length > static_cast<size_t>(INT_MAX) - 4 - static_cast<size_t>(old))
    return old;
  const int32_t length32 = static_cast<int32_t>(length);
  if (Put(length32) != old + 4)
    return old;
  if (length > 0 && PutBytes(text, length32) != old + 4 + length32) {
    mBuf.Resize(old, false);
    return old;
  }
  return Size();
}

int ByteChunk::GetStr(HeapString& text, int position) const {
  int32_t length = 0;
  const int start = Get(&length, position);
  if (start < 0 || length < 0 || static_cast<long long>(start) + length > Size())
    return -1;
  if (length == 0)
    text.Set("");
  else
    text.Set(reinterpret_cast<const char*>(GetData() + start), length);
  return start + length;
}

int ByteChunk::PutChunk(const ByteChunk& other) {
  return PutBytes(other.GetData(), other.Size());
}

int ByteChunk::Resize(int newSize) {
  mBuf.Resize(newSize, true);
  return Size();
}

} // namespace keel

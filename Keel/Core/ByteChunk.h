// Byte buffer that plug-in state is written into and read from; values are stored as their little-endian
// bytes.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "Keel/Core/HeapBuffer.h"
#include "Keel/Core/HeapString.h"

namespace keel {

static_assert(std::endian::native == std::endian::little, "state chunks store values in memory order");

// Strings are stored as an int32 length and that many bytes, without a NUL.
class ByteChunk {
public:
  ByteChunk() = default;

  // Appends the value's bytes; returns the new size (the old size when the chunk could not grow).
  template <class T> int Put(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return PutBytes(&value, static_cast<int>(sizeof(T)));
  }
  // Reads a value at position; returns position + sizeof(T), or -1 when that runs past the end.
  template <class T> int Get(T* value, int position) const {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(value, static_cast<int>(sizeof(T)), position);
  }

  int PutBytes(const void* data, int size);
  int GetBytes(void* out, int size, int position) const;

  // Appends the text's int32 length (up to its NUL) and its bytes.
  int PutStr(const char* text);
  // Reads a string at position; returns the next position, or -1 (string unchanged) when the position is
  // negative, the length is negative, or the bytes run past the end.
  int GetStr(HeapString& text, int position) const;

  // Appends another chunk's bytes.
  int PutChunk(const ByteChunk& other);

  void Clear() { mBuf.Resize(0); }
  int Size() const { return mBuf.GetSize(); }
  // Returns the new size; compare with what was asked to detect failure.
  int Resize(int newSize);
  uint8_t* GetData() const { return static_cast<uint8_t*>(mBuf.Get()); }

private:
  HeapBuffer mBuf{4096};
};

} // namespace keel

// UTF-8 string on a HeapBuffer; formatting always uses the C locale.
#pragma once

#include <cstdarg>

#include "Keel/Core/HeapBuffer.h"

namespace keel {

// The size counts the terminating NUL, so an empty buffer and a lone NUL both read as "".
class HeapString {
public:
  // maxLength > 0 limits how many bytes of text are taken (the text also ends at its NUL).
  explicit HeapString(const char* text = nullptr, int maxLength = 0);
  HeapString(const HeapString& other);
  HeapString& operator=(const HeapString& other);
  HeapString(HeapString&&) noexcept = default;
  HeapString& operator=(HeapString&&) noexcept = default;

  // Never null.
  const char* Get() const;
  char* GetMutable(); // null while the buffer is empty
  int GetLength() const;
  bool IsEmpty() const { return GetLength() == 0; }

  // The text may lie inside this string's own buffer.
  void Set(const char* text, int maxLength = 0);
  void Append(const char* text, int maxLength = 0);

  // Formats with the C library's bounded formatter in the C locale; text beyond maxLength is cut.
  void SetFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void SetFormattedV(int maxLength, const char* format, va_list args);
  void AppendFormattedV(int maxLength, const char* format, va_list args);

  // The string becomes its first `position` bytes, `length` bytes of text, then the `keep` bytes that
  // followed `position`, then a NUL. Length 0 only clears, and only when position and keep are 0; negatives
  // do nothing.
  void Insert(int position, const char* text, int length, int keep);

  // Keeps at most `length` bytes of text.
  void SetLength(int length);

  const HeapBuffer& Buffer() const { return mBuf; }

private:
  void FormatAt(int start, int maxLength, const char* format, va_list args);
  HeapBuffer mBuf{128};
};

} // namespace keel

// UTF-8 string operations; formatting goes through the C locale so numbers always use '.'.
#include "Keel/Core/HeapString.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Keel/Core/CLocaleScope.h"

namespace keel {

HeapString::HeapString(const char* text, int maxLength) {
  if (text)
    Set(text, maxLength);
}

HeapString::HeapString(const HeapString& other) {
  Set(other.Get());
}

HeapString& HeapString::operator=(const HeapString& other) {
  if (this != &other)
    Set(other.Get());
  return *this;
}

const char* HeapString::Get() const {
  const char* data = static_cast<const char*>(mBuf.Get());
  return data ? data : "";
}

char* HeapString::GetMutable() {
  return static_cast<char*>(mBuf.Get());
}

int HeapString::GetLength() const {
  const char* data = static_cast<const char*>(mBuf.Get());
  return data ? static_cast<int>(strnlen(data, static_cast<size_t>(mBuf.GetSize()))) : 0;
}

static int TextLength(const char* text, int maxLength) {
  if (!text)
    return 0;
  return static_cast<int>(maxLength > 0 ? strnlen(text, static_cast<size_t>(maxLength)) : strlen(text));
}

void HeapString::Set(const char* text, int maxLength) {
  Insert(0, text, TextLength(text, maxLength), 0);
}

void HeapString::Append(const char* text, int maxLength) {
  const int length = TextLength(text, maxLength);
  if (length > 0)
    Insert(GetLength(), text, length, 0);
}

void HeapString::Insert(int position, const char* text, int length, int keep) {
  if (position < 0 || length < 0 || keep < 0)
    return;
  if (length == 0) {
    if (position == 0 && keep == 0 && mBuf.Resize(1, false))
      static_cast<char*>(mBuf.Get())[0] = 0;
    return;
  }
  if (!text)
    return;
  const int current = GetLength();
  position = std::min(position, current);
  keep = std::min(keep, current - position);
  const long long wanted = static_cast<long long>(position) + length + keep + 1;
  if (wanted > INT_MAX)
    return;
  const int newSize = static_cast<int>(wanted);

  // The text may lie in our own buffer, which the resize or the move below can invalidate.
  std::string ownCopy;
  const char* data = static_cast<const char*>(mBuf.Get());
  if (data && text >= data && text < data + mBuf.GetSize()) {
    ownCopy.assign(text, static_cast<size_t>(length));
    text = ownCopy.data();
  }

  if (newSize > mBuf.GetSize()) {
    mBuf.Resize(newSize, false);
    if (mBuf.GetSize() != newSize)
      return;
  }
  char* buf = static_cast<char*>(mBuf.Get());
  std::memmove(buf + position + length, buf + position, static_cast<size_t>(keep));
  std::memcpy(buf + position, text, static_cast<size_t>(length));
  buf[newSize - 1] = 0;
  if (newSize < mBuf.GetSize())
    mBuf.Resize(newSize, true);
}

void HeapString::SetLength(int length) {
  if (length < 0 || length >= GetLength())
    return;
  static_cast<char*>(mBuf.Get())[length] = 0;
  mBuf.Resize(length + 1, true);
}

void HeapString::FormatAt(int start, int maxLength, const char* format, va_list args) {
  if (maxLength < 0 || !format)
    return;
  CLocaleScope cLocale;
  // Formatting into a separate buffer lets the arguments point into this string.
  va_list measure;
  va_copy(measure, args);
  const int needed = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  int length = 0;
  std::vector<char> text;
  if (needed > 0) {
    length = std::min(needed, maxLength);
    text.resize(static_cast<size_t>(length) + 1);
    if (vsnprintf(text.data(), text.size(), format, args) < 0)
      length = 0;
  }
  if (length > 0)
    Insert(start, text.data(), length, 0);
  else if (start == 0)
    Insert(0, "", 0, 0);
}

void HeapString::SetFormattedV(int maxLength, const char* format, va_list args) {
  FormatAt(0, maxLength, format, args);
}

void HeapString::AppendFormattedV(int maxLength, const char* format, va_list args) {
  FormatAt(GetLength(), maxLength, format, args);
}

void HeapString::SetFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  SetFormattedV(maxLength, format, args);
  va_end(args);
}

void HeapString::AppendFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendFormattedV(maxLength, format, args);
  va_end(args);
}

} // namespace keel

// Fixed-capacity text builder that is safe inside a signal handler: no allocation, no locale, no stdio.
#pragma once

#include <cstddef>
#include <cstdint>

namespace keel {

template <std::size_t Capacity> class SignalSafeText {
public:
  void Append(const char* s) noexcept {
    if (!s)
      return;
    while (*s)
      AppendChar(*s++);
  }
  void Append(const char* s, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i)
      AppendChar(s[i]);
  }
  void AppendChar(char c) noexcept {
    if (mSize < Capacity)
      mText[mSize++] = c;
    mText[mSize] = '\0';
  }
  // Decimal, zero-padded to at least minDigits.
  void AppendUnsigned(std::uint64_t v, int minDigits = 1) noexcept {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v != 0 && n < 24);
    while (n < minDigits && n < 24)
      digits[n++] = '0';
    while (n > 0)
      AppendChar(digits[--n]);
  }
  void AppendSigned(std::int64_t v) noexcept {
    if (v < 0) {
      AppendChar('-');
      AppendUnsigned(0 - static_cast<std::uint64_t>(v));
    } else {
      AppendUnsigned(static_cast<std::uint64_t>(v));
    }
  }
  // "0x" and lower-case hex digits, zero-padded to at least minDigits.
  void AppendHex(std::uint64_t v, int minDigits = 1) noexcept {
    char digits[17];
    int n = 0;
    do {
      digits[n++] = "0123456789abcdef"[v & 0xF];
      v >>= 4;
    } while (v != 0 && n < 16);
    while (n < minDigits && n < 16)
      digits[n++] = '0';
    Append("0x");
    while (n > 0)
      AppendChar(digits[--n]);
  }
  const char* Data() const noexcept { return mText; }
  std::size_t Size() const noexcept { return mSize; }

private:
  char mText[Capacity + 1] = {};
  std::size_t mSize = 0;
};

} // namespace keel

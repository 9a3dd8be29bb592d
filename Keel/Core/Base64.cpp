// Base64 encoder and the page transport's lenient decoder.
#include "Keel/Core/Base64.h"

#include <cstring>

namespace keel {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(char c) {
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}
} // namespace

int Base64EncodedBufferSize(int count) {
  return count > 0 ? 4 * ((count + 2) / 3) + 1 : 1;
}

void Base64EncodeToBuffer(const void* source, char* dest, int count) {
  const unsigned char* in = static_cast<const unsigned char*>(source);
  char* out = dest;
  int i = 0;
  for (; i + 3 <= count; i += 3) {
    const unsigned v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
    *out++ = kAlphabet[(v >> 18) & 63];
    *out++ = kAlphabet[(v >> 12) & 63];
    *out++ = kAlphabet[(v >> 6) & 63];
    *out++ = kAlphabet[v & 63];
  }
  const int rest = count - i;
  if (rest > 0) {
    const unsigned v = (in[i] << 16) | (rest == 2 ? in[i + 1] << 8 : 0);
    *out++ = kAlphabet[(v >> 18) & 63];
    *out++ = kAlphabet[(v >> 12) & 63];
    *out++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    *out++ = '=';
  }
  *out = 0;
}

int Base64DecodedSize(const char* text, int textLength) {
  if (!text || textLength <= 0)
    return 0;
  long long size = static_cast<long long>(textLength) * 3 / 4;
  if (textLength >= 2 && text[textLength - 2] == '=')
    size -= 2;
  else if (text[textLength - 1] == '=')
    size -= 1;
  // A text whose leading characters carry no whole byte (only "=" signs, a single character) decodes
  // to nothing rather than to zero bytes.
  int digits = 0;
  while (digits < textLength && digits < 2 && DecodeChar(text[digits]) >= 0)
    ++digits;
  if (digits < 2)
    return 0;
  return size > 0 ? static_cast<int>(size) : 0;
}

int Base64DecodeToBuffer(const char* text, int textLength, unsigned char* dest) {
  const int size = Base64DecodedSize(text, textLength);
  if (size == 0)
    return 0;
  std::memset(dest, 0, static_cast<size_t>(size));
  unsigned accumulator = 0;
  int bits = 0;
  int written = 0;
  for (int i = 0; i < textLength && written < size; ++i) {
    const int v = DecodeChar(text[i]);
    if (v < 0)
      break;
    accumulator = (accumulator << 6) | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      dest[written++] = static_cast<unsigned char>((accumulator >> bits) & 0xFF);
    }
  }
  return size;
}

} // namespace keel

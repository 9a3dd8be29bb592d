// UTF-8 text rules: well-formedness classes, the looks-like-UTF-8 test and lenient decoding.
#include "Keel/Platform/UTF8Text.h"

#include <cstdint>
#include <cstring>

namespace keel {
namespace {

enum class SeqKind { Ascii, WellFormed, Malformed, LongForm };

struct Seq {
  SeqKind kind;
  std::size_t length;
  char32_t codePoint;
};

bool IsCont(std::string_view s, std::size_t i) {
  return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

// Classifies the sequence that starts at i. Malformed sequences have length 1 (only the lead is consumed).
Seq ReadSeq(std::string_view s, std::size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  if (b < 0x80)
    return {SeqKind::Ascii, 1, b};
  auto cont = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]) & 0x3F; };
  if (b >= 0xC2 && b <= 0xDF && IsCont(s, i + 1))
    return {SeqKind::WellFormed, 2, static_cast<char32_t>(((b & 0x1F) << 6) | cont(1))};
  if (b >= 0xE0 && b <= 0xEF && IsCont(s, i + 1) && IsCont(s, i + 2)) {
    if (b == 0xE0 && static_cast<unsigned char>(s[i + 1]) < 0xA0)
      return {SeqKind::Malformed, 1, 0};
    return {SeqKind::WellFormed, 3, static_cast<char32_t>(((b & 0x0F) << 12) | (cont(1) << 6) | cont(2))};
  }
  if (b >= 0xF0 && b <= 0xF7 && IsCont(s, i + 1) && IsCont(s, i + 2) && IsCont(s, i + 3)) {
    if (b == 0xF0 && static_cast<unsigned char>(s[i + 1]) < 0x90)
      return {SeqKind::Malformed, 1, 0};
    return {SeqKind::WellFormed, 4,
            static_cast<char32_t>(((b & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3))};
  }
  if (b >= 0xF8 && b <= 0xFB && IsCont(s, i + 1) && IsCont(s, i + 2) && IsCont(s, i + 3) && IsCont(s, i + 4))
    return {SeqKind::LongForm, 5, 0};
  if (b >= 0xFC && b <= 0xFD && IsCont(s, i + 1) && IsCont(s, i + 2) && IsCont(s, i + 3) &&
      IsCont(s, i + 4) && IsCont(s, i + 5))
    return {SeqKind::LongForm, 6, 0};
  return {SeqKind::Malformed, 1, 0};
}

// Surrogate halves and values past U+10FFFF pass the well-formedness classes but have no place in
// UTF-16 or in valid UTF-8, so decoding shows them as the replacement character.
char32_t Decodable(char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
    return 0xFFFD;
  return cp;
}

template <typename Sink> void DecodeLenient(std::string_view s, Sink&& sink) {
  std::size_t i = 0;
  while (i < s.size()) {
    const Seq q = ReadSeq(s, i);
    if (q.kind == SeqKind::Ascii || q.kind == SeqKind::WellFormed)
      sink(Decodable(q.codePoint));
    i += q.length;
  }
}

// Windows-1252 assigns printable characters to most of 0x80-0x9F; the five gaps read as U+FFFD.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

int CheckUTF8(const char* text) {
  if (!text)
    return 0;
  return CheckUTF8(std::string_view(text));
}

int CheckUTF8(std::string_view text) {
  int result = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const Seq q = ReadSeq(text, i);
    if (q.kind == SeqKind::Malformed || q.kind == SeqKind::LongForm)
      return -1;
    if (q.kind == SeqKind::WellFormed)
      result = 1;
    i += q.length;
  }
  return result;
}

bool LooksLikeUTF8(std::string_view text) {
  std::size_t m = 0, b = 0;
  const std::size_t t = text.size();
  std::size_t i = 0;
  while (i < t) {
    const Seq q = ReadSeq(text, i);
    if (q.kind == SeqKind::WellFormed) {
      m += q.length;
      i += q.length;
    } else {
      if (q.kind != SeqKind::Ascii)
        ++b;
      ++i; // every byte of a five- or six-byte form counts as a malformed position
    }
  }
  return !(m < 5 * b && m < (3 * t) / 4);
}

std::optional<std::u16string> WideFromUTF8(std::string_view text) {
  if (!LooksLikeUTF8(text))
    return std::nullopt;
  std::u16string out;
  out.reserve(text.size());
  DecodeLenient(text, [&](char32_t cp) {
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  });
  return out;
}

void AppendUTF8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string CleanUTF8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  DecodeLenient(text, [&](char32_t cp) { AppendUTF8(out, cp); });
  return out;
}

std::string UTF8FromLegacyBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b < 0xA0)
      AppendUTF8(out, kCp1252High[b - 0x80]);
    else
      AppendUTF8(out, b);
  }
  return out;
}

std::string DisplayTextFromBytes(std::string_view bytes) {
  if (CheckUTF8(bytes) == 0)
    return std::string(bytes);
  if (LooksLikeUTF8(bytes))
    return CleanUTF8(bytes);
  return UTF8FromLegacyBytes(bytes);
}

std::size_t UTF8PrefixLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes)
    return text.size();
  std::size_t cut = maxBytes;
  // Step back to the start of the character that the cut falls into, if it is a well-formed one.
  std::size_t start = cut;
  while (start > 0 && cut - start < 3 && IsCont(text, start))
    --start;
  if (start < cut) {
    const Seq q = ReadSeq(text, start);
    if (q.kind == SeqKind::WellFormed && start + q.length > cut)
      cut = start;
  }
  return cut;
}

} // namespace keel

// UTF-8 text rules: well-formedness classes, the looks-like-UTF-8 test and lenient decoding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace keel {

// 0: no text or only bytes below 0x80; 1: well formed with at least one multi-byte sequence;
// -1: a malformed sequence was met (the scan stops there).
int CheckUTF8(const char* text);
int CheckUTF8(std::string_view text);

// Decides whether bytes that are not plain ASCII should be read as UTF-8 at all. Counts the bytes inside
// well-formed sequences (M), in malformed positions (B) and all bytes (T); the text is UTF-8 unless
// M < 5 x B and M < 3 x T / 4. Text that fails it is read in the legacy 8-bit code page instead.
bool LooksLikeUTF8(std::string_view text);

// Lenient UTF-16 decoding: well-formed sequences become code points (surrogate pairs above U+FFFF),
// a malformed byte is skipped on its own, five- and six-byte forms are skipped whole.
// Empty when the text fails LooksLikeUTF8.
std::optional<std::u16string> WideFromUTF8(std::string_view text);

// The same lenient decoding, re-encoded as well-formed UTF-8 (what toolkits that demand valid UTF-8 need).
std::string CleanUTF8(std::string_view text);

// Reads bytes in the legacy 8-bit code page (Windows-1252) and gives UTF-8.
std::string UTF8FromLegacyBytes(std::string_view bytes);

// Text as a control or dialog should show it: unchanged when ASCII, cleaned when it looks like UTF-8,
// else read in the legacy code page so that every byte still shows.
std::string DisplayTextFromBytes(std::string_view bytes);

// Appends the UTF-8 form of one code point (U+0000..U+10FFFF).
void AppendUTF8(std::string& out, char32_t codePoint);

// Longest prefix of text that fits in maxBytes without cutting a well-formed multi-byte sequence.
std::size_t UTF8PrefixLength(std::string_view text, std::size_t maxBytes);

} // namespace keel

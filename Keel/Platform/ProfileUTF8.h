// Profile (INI) file functions with the classic private-profile behaviour, on our own reader and writer.
// Names and values are UTF-8 bytes, kept byte for byte (tabs, leading blanks, any length).
#pragma once

#include <string>
#include <vector>

namespace keel {

// The value's leading decimal integer (an optional '-' allowed; no digits give 0), or the default when
// the section, the key or the file is missing.
unsigned GetPrivateProfileIntUTF8(const char* section, const char* key, int defaultValue, const char* file);

// Copies the value (or the default, or "" without one) into out and returns the bytes copied.
// With a null key: the section's key names, each ending in a zero byte; with a null section: the section
// names likewise; lists end with an extra zero. One byte is reserved for the terminator of a value and two
// for a list; a size no larger than that reserve zeroes out and returns 0. A longer text is cut without
// splitting a UTF-8 character.
unsigned GetPrivateProfileStringUTF8(const char* section, const char* key, const char* defaultValue,
                                     char* out, unsigned size, const char* file);

// The value as a string without a length limit; the default when it is missing.
std::string GetPrivateProfileStringUTF8(const char* section, const char* key, const std::string& defaultValue,
                                        const char* file);

// Sets a value, keeping every other section, key and line in place. A null value removes the key, a null
// key removes the section. The file is replaced atomically. False when the file cannot be written or the
// names or the value cannot be stored in a line (line breaks, '=' in a key, ']' in a section name).
bool WritePrivateProfileStringUTF8(const char* section, const char* key, const char* value, const char* file);

struct ProfileValue {
  std::string section, key, value;
};
// Sets several values as WritePrivateProfileStringUTF8 does, with one read and one replacement of the file.
// A value that cannot be stored in a line is left out as a single call would leave it; false then, and when
// the file cannot be written.
bool WritePrivateProfileStringsUTF8(const std::vector<ProfileValue>& values, const char* file);

} // namespace keel

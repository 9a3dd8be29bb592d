// Profile (INI) file functions with the classic private-profile behaviour, on our own reader and writer.
#include "Keel/Platform/ProfileUTF8.h"

#include "Keel/Platform/IniDocument.h"
#include "Keel/Platform/StaleTemporaries.h"
#include "Keel/Platform/UTF8Text.h"
#include "Keel/Platform/WriteAll.h"

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace keel {
namespace {

// One lock for every profile file: a read-modify-write must not interleave with another in this process.
std::mutex& ProfileMutex() {
  static std::mutex m;
  return m;
}

IniDocument LoadDocument(const char* file) {
  std::ifstream in(file, std::ios::binary);
  if (!in)
    return IniDocument::Parse("");
  std::ostringstream text;
  text << in.rdbuf();
  return IniDocument::Parse(text.str());
}

// Writes beside the file and renames over it, so that a crash mid-write never leaves half a file.
bool StoreDocument(const char* file, const IniDocument& doc) {
  RemoveStaleTemporaries(file);
  const std::string temp = std::string(file) + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  const std::string text = doc.Serialize();
  const bool written = WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), file) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

std::string JoinList(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    out += n;
    out += '\0';
  }
  return out;
}

} // namespace

unsigned GetPrivateProfileIntUTF8(const char* section, const char* key, int defaultValue, const char* file) {
  if (!section || !key || !file)
    return static_cast<unsigned>(defaultValue);
  std::optional<std::string> value;
  {
    std::lock_guard<std::mutex> lock(ProfileMutex());
    value = LoadDocument(file).Get(section, key);
  }
  if (!value)
    return static_cast<unsigned>(defaultValue);
  const std::string& v = *value;
  std::size_t i = 0;
  const bool negative = i < v.size() && v[i] == '-';
  if (negative)
    ++i;
  unsigned result = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
    result = result * 10u + static_cast<unsigned>(v[i] - '0');
  return negative ? 0u - result : result;
}

unsigned GetPrivateProfileStringUTF8(const char* section, const char* key, const char* defaultValue,
                                     char* out, unsigned size, const char* file) {
  if (!out)
    return 0;
  const unsigned reserve = (section && key) ? 1u : 2u;
  if (size <= reserve) {
    std::memset(out, 0, size);
    return 0;
  }
  std::string result;
  if (file) {
    std::lock_guard<std::mutex> lock(ProfileMutex());
    const IniDocument doc = LoadDocument(file);
    if (!section)
      result = JoinList(doc.SectionNames());
    else if (!key)
      result = JoinList(doc.KeyNames(section));
    else if (auto v = doc.Get(section, key))
      result = std::move(*v);
    else if (defaultValue)
      result = defaultValue;
  } else if (section && key && defaultValue) {
    result = defaultValue;
  }
  const std::size_t n = UTF8PrefixLength(result, size - reserve);
  std::memcpy(out, result.data(), n);
  std::memset(out + n, 0, reserve);
  return static_cast<unsigned>(n);
}

std::string GetPrivateProfileStringUTF8(const char* section, const char* key, const std::string& defaultValue,
                                        const char* file) {
  if (!section || !key || !file)
    return defaultValue;
  std::lock_guard<std::mutex> lock(ProfileMutex());
  return LoadDocument(file).Get(section, key).value_or(defaultValue);
}

bool WritePrivateProfileStringUTF8(const char* section, const char* key, const char* value,
                                   const char* file) {
  if (!file)
    return false;
  if (!section)
    return !key && !value; // all null: nothing is cached, so there is nothing to flush
  std::lock_guard<std::mutex> lock(ProfileMutex());
  IniDocument doc = LoadDocument(file);
  bool ok;
  if (!key)
    ok = doc.RemoveSection(section);
  else if (!value)
    ok = doc.RemoveKey(section, key);
  else
    ok = doc.Set(section, key, value);
  return ok && StoreDocument(file, doc);
}

bool WritePrivateProfileStringsUTF8(const std::vector<ProfileValue>& values, const char* file) {
  if (!file)
    return false;
  std::lock_guard<std::mutex> lock(ProfileMutex());
  IniDocument doc = LoadDocument(file);
  bool allSet = true;
  for (const ProfileValue& v : values)
    allSet = doc.Set(v.section, v.key, v.value) && allSet;
  return StoreDocument(file, doc) && allSet;
}

} // namespace keel

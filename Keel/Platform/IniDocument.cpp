// An INI text held line by line, so that a change touches one line and keeps every other byte.
#include "Keel/Platform/IniDocument.h"

namespace keel {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z')
      x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z')
      y = static_cast<char>(y - 'A' + 'a');
    if (x != y)
      return false;
  }
  return true;
}

// Section name of a header line, or nothing for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[')
    return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos)
    return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view rawValue;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == '[' || t.front() == ';' || t.front() == '#')
    return std::nullopt;
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos)
    return std::nullopt;
  return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

std::string DecodeValue(std::string_view raw) {
  if (raw.size() >= 2 && raw.front() == raw.back() && (raw.front() == '"' || raw.front() == '\''))
    raw = raw.substr(1, raw.size() - 2);
  return std::string(raw);
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

bool ValidSection(std::string_view s) {
  return !Trim(s).empty() && !HasLineBreak(s) && s.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view k) {
  const std::string_view t = Trim(k);
  return !t.empty() && !HasLineBreak(k) && k.find('=') == std::string_view::npos && t.front() != '[' &&
         t.front() != ';' && t.front() != '#';
}

} // namespace

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    doc.mLines.emplace_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const std::string& line : mLines) {
    out += line;
    out += '\n';
  }
  return out;
}

std::string IniDocument::LineEnd() const {
  // New lines follow a CRLF file's convention so that the file stays uniform.
  for (const std::string& line : mLines)
    if (!line.empty() && line.back() == '\r')
      return "\r";
  return "";
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < mLines.size(); ++i) {
    const auto name = HeaderName(mLines[i]);
    if (!name || !SameName(*name, section))
      continue;
    std::size_t end = i + 1;
    while (end < mLines.size() && !HeaderName(mLines[end]))
      ++end;
    return Range{i, end};
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const auto range = FindSection(section);
  if (!range)
    return std::nullopt;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const auto kl = ParseKeyLine(mLines[i]);
    if (kl && SameName(kl->key, key))
      return DecodeValue(kl->rawValue);
  }
  return std::nullopt;
}

bool IniDocument::HasSection(std::string_view section) const {
  return FindSection(section).has_value();
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const std::string& line : mLines)
    if (const auto name = HeaderName(line))
      names.emplace_back(*name);
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const auto range = FindSection(section);
  if (!range)
    return names;
  for (std::size_t i = range->header + 1; i < range->end; ++i)
    if (const auto kl = ParseKeyLine(mLines[i]))
      names.emplace_back(kl->key);
  return names;
}

std::string IniDocument::EncodeValue(std::string_view value) {
  const bool blankEdge = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  const bool outerQuotes =
      value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
  if (blankEdge || outerQuotes)
    return "\"" + std::string(value) + "\"";
  return std::string(value);
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSection(section) || !ValidKey(key) || HasLineBreak(value))
    return false;
  const std::string line = std::string(Trim(key)) + "=" + EncodeValue(value) + LineEnd();
  auto range = FindSection(section);
  if (!range) {
    mLines.push_back("[" + std::string(Trim(section)) + "]" + LineEnd());
    mLines.push_back(line);
    return true;
  }
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const auto kl = ParseKeyLine(mLines[i]);
    if (kl && SameName(kl->key, key)) {
      mLines[i] = line;
      return true;
    }
  }
  // A new key goes after the section's last non-blank line, ahead of the blank lines that separate it.
  std::size_t at = range->end;
  while (at > range->header + 1 && Trim(mLines[at - 1]).empty())
    --at;
  mLines.insert(mLines.begin() + static_cast<std::ptrdiff_t>(at), line);
  return true;
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
  const auto range = FindSection(section);
  if (!range)
    return true;
  // Every copy goes, so that a duplicate further down cannot surface as the value afterwards.
  for (std::size_t i = range->end; i > range->header + 1; --i) {
    const auto kl = ParseKeyLine(mLines[i - 1]);
    if (kl && SameName(kl->key, key))
      mLines.erase(mLines.begin() + static_cast<std::ptrdiff_t>(i - 1));
  }
  return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
  while (const auto range = FindSection(section))
    mLines.erase(mLines.begin() + static_cast<std::ptrdiff_t>(range->header),
                 mLines.begin() + static_cast<std::ptrdiff_t>(range->end));
  return true;
}

} // namespace keel

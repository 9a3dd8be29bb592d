// An INI text held line by line, so that a change touches one line and keeps every other byte.
// Lookups follow the classic profile rules: names compare without case and without surrounding blanks,
// the first matching section and key win, and a value loses its surrounding blanks and one pair of
// matching quotes. Values that need them are written quoted, so any byte string survives a round trip.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keel {

class IniDocument {
public:
  static IniDocument Parse(std::string_view text);
  std::string Serialize() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Each returns false, changing nothing, when the names or the value cannot be stored in a line
  // (a line break anywhere, '=' or a leading '[' in a key, ']' in a section name, an empty name).
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  bool RemoveKey(std::string_view section, std::string_view key);
  bool RemoveSection(std::string_view section);

  // How a value is written after "key=": quoted when blanks at either end or a pair of outer quotes
  // would otherwise be lost on reading.
  static std::string EncodeValue(std::string_view value);

private:
  struct Range {
    std::size_t header;
    std::size_t end; // one past the section's last line
  };
  std::optional<Range> FindSection(std::string_view section) const;
  std::string LineEnd() const;

  std::vector<std::string> mLines; // without '\n'; a CR of a CRLF file stays in the line
};

} // namespace keel

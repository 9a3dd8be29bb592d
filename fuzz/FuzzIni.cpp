// INI text: parse, look up and change entries, and write it back; what was written reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Keel/Platform/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  keel::IniDocument document = keel::IniDocument::Parse(text);
  for (const std::string& section : document.SectionNames())
    for (const std::string& key : document.KeyNames(section))
      (void)document.Get(section, key);
  // The text's first line, cut in three, as a section, a key and a value to store.
  const std::string_view line = text.substr(0, text.find('\n'));
  const std::string_view section = line.substr(0, line.size() / 3);
  const std::string_view key = line.substr(line.size() / 3, line.size() / 3);
  const std::string_view value = line.substr(2 * (line.size() / 3));
  if (document.Set(section, key, value)) {
    const keel::IniDocument again = keel::IniDocument::Parse(document.Serialize());
    if (again.Get(section, key) != std::optional<std::string>(std::string(value)))
      __builtin_trap(); // a stored value that does not read back
  }
  document.RemoveKey(section, key);
  document.RemoveSection(section);
  (void)document.Serialize();
  return 0;
}

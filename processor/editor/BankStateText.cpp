// Lenient reading of the page's bank-state text.
#include "processor/editor/BankStateText.h"

#include "Keel/Core/BoundedJson.h"

namespace vlm {

bool ReadExpandedTonesFlag(std::string_view bankStateJson) {
  const nlohmann::json state = keel::ParseJsonBounded(bankStateJson);
  if (!state.is_object())
    return false;
  const auto it = state.find("expandedTones");
  return it != state.end() && it->is_boolean() && it->get<bool>();
}

} // namespace vlm

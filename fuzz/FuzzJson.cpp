// JSON from outside (documents, page messages): the bounded parse, then what the program does with a
// value it accepted (copy, compare, dump with replacement of invalid UTF-8), none of which may recurse
// past the stack.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Keel/Core/BoundedJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const char* reason = nullptr;
  const nlohmann::json value = keel::ParseJsonBounded(text, &reason);
  if (value.is_discarded()) {
    if (!reason)
      __builtin_trap(); // refused without a reason
    return 0;
  }
  const nlohmann::json copy = value;
  if (copy != value)
    __builtin_trap();
  const std::string compact = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  (void)value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  if (keel::ParseJsonBounded(compact).is_discarded())
    __builtin_trap(); // what we write must read back
  if (value.is_object()) {
    const auto msg = value.find("msg");
    if (msg != value.end() && msg->is_string())
      (void)msg->get_ref<const std::string&>();
  }
  return 0;
}

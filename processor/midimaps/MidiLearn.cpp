// Reading the page's learn requests without ever throwing.
#include "processor/midimaps/MidiLearn.h"

#include <nlohmann/json.hpp>

#include "Keel/Core/BoundedJson.h"
#include "library/JsonMembers.h"
#include "common/EParams.h"

namespace vlm {

namespace {

std::optional<int> IntegerMember(const nlohmann::json& request, const char* key, int lo, int hi) {
  const auto it = request.find(key);
  if (it == request.end() || !it->is_number_integer())
    return std::nullopt;
  if (it->is_number_unsigned())
    return it->get<unsigned long long>() <= static_cast<unsigned long long>(hi)
               ? std::optional<int>(static_cast<int>(it->get<unsigned long long>()))
               : std::nullopt;
  const long long v = it->get<long long>();
  return v >= lo && v <= hi ? std::optional<int>(static_cast<int>(v)) : std::nullopt;
}

LearnOp OpFromText(const std::string& op) {
  static constexpr struct {
    const char* text;
    LearnOp op;
  } kOps[] = {{"setActive", LearnOp::SetActive}, {"selectTarget", LearnOp::SelectTarget},
              {"assign", LearnOp::Assign},       {"clearTarget", LearnOp::ClearTarget},
              {"clearAll", LearnOp::ClearAll},   {"save", LearnOp::Save},
              {"load", LearnOp::Load},           {"setDefault", LearnOp::SetDefault}};
  for (const auto& row : kOps)
    if (op == row.text)
      return row.op;
  return LearnOp::Other;
}

} // namespace

std::optional<LearnRequest> ParseLearnRequest(std::string_view text) {
  const nlohmann::json request = keel::ParseJsonBounded(text);
  if (request.is_discarded())
    return std::nullopt;
  LearnRequest out;
  if (!request.is_object())
    return out;
  out.op = OpFromText(GetStringMember(request, "op", ""));
  const auto active = request.find("active");
  out.active = active != request.end() && active->is_boolean() && active->get<bool>();
  out.paramIdx = IntegerMember(request, "paramIdx", 0, kNumSoundParams - 1);
  out.cc = IntegerMember(request, "cc", 0, 127);
  return out;
}

} // namespace vlm

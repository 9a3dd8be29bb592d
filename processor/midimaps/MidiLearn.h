// MIDI learn: the records that travel from the audio thread to the idle work, and the page's learn
// requests (tag 218) read leniently.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vlm {

// A controller moved while learn was armed for target.
struct LearnNotice {
  std::int32_t target = -1;
  std::int32_t controller = -1;
};
static_assert(sizeof(LearnNotice) == 8);

// A parameter a controller moved, for the page.
struct ControllerEcho {
  std::int32_t index = 0;
  double normalized = 0.0;
};

enum class LearnOp { Other, SetActive, SelectTarget, Assign, ClearTarget, ClearAll, Save, Load, SetDefault };

struct LearnRequest {
  LearnOp op = LearnOp::Other;
  bool active = false;         // "active" when it is a boolean, else false
  std::optional<int> paramIdx; // "paramIdx" when it is a JSON integer 0..188
  std::optional<int> cc;       // "cc" when it is a JSON integer 0..127
};

// Nothing for text that is not JSON; a JSON value that is not an object, or has no known "op", reads as
// LearnOp::Other.
std::optional<LearnRequest> ParseLearnRequest(std::string_view text);

} // namespace vlm

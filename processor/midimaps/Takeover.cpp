// Jump, pickup and scaling takeover of a parameter by a controller.
#include "processor/midimaps/Takeover.h"

#include <algorithm>
#include <cmath>

namespace vlm {

namespace {

// Two normalized values this close are the same position: nothing else moved the parameter.
constexpr double kSameValue = 1e-9;

} // namespace

TakeoverResult TakeoverCcValue(TakeoverState& state, int mode, int v, double current) noexcept {
  const double e = v / 127.0;
  switch (mode) {
  case kTakeoverJump:
    state.anchor = e;
    state.lastCc = v;
    return {true, e};
  case kTakeoverPickup: {
    const double position = current * 127.0;
    const bool untouched = state.lastSent >= 0.0 && std::fabs(current - state.lastSent) <= kSameValue;
    const bool close = std::fabs(v - position) <= 0.5;
    const bool crossed =
        state.lastCc >= 0 && position >= std::min(state.lastCc, v) && position <= std::max(state.lastCc, v);
    state.lastCc = v;
    if (untouched || close || crossed)
      return {true, e};
    state.lastSent = -1.0;
    return {};
  }
  case kTakeoverScaling: {
    if (state.anchor < 0.0 || state.lastSent < 0.0 || std::fabs(current - state.lastSent) > kSameValue)
      state.anchor = current; // re-base on the parameter's present value
    const int previous = state.lastCc;
    state.lastCc = v;
    if (previous < 0 || v == previous)
      return {};
    // The controller's remaining travel towards an end maps onto the value's remaining distance to it, so
    // both ends of the controller always reach both ends of the range.
    const double d = v < previous
                         ? (v - previous) / static_cast<double>(previous) * state.anchor
                         : (v - previous) / static_cast<double>(127 - previous) * (1.0 - state.anchor);
    const double result = std::clamp(state.anchor + d, 0.0, 1.0);
    state.anchor = result;
    return {true, result};
  }
  default:
    return {};
  }
}

} // namespace vlm

// The control values the page holds, so that the idle tick sends only what changed: at rest the page (and
// the program) is not woken fifty times a second to show the same six numbers.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

namespace vlm {

// Threads: UI thread only.
class ControlValueCache {
public:
  static constexpr int kTags = 6;

  // True when the page would see another value under tag than it last received (it is sent with six
  // decimals); the value is then taken as sent. A tag out of range is always sent.
  bool Update(int tag, double value) {
    if (tag < 0 || tag >= kTags || !std::isfinite(value) || std::fabs(value) > 1e12)
      return true;
    const std::int64_t shown = std::llround(value * 1e6);
    if (mShown[static_cast<std::size_t>(tag)] == shown)
      return false;
    mShown[static_cast<std::size_t>(tag)] = shown;
    return true;
  }

  // A page that has just loaded holds none of them.
  void Forget() { mShown.fill(std::nullopt); }

private:
  std::array<std::optional<std::int64_t>, kTags> mShown{};
};

} // namespace vlm

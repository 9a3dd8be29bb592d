// The controller assigned to each sound parameter, shared lock-free between the threads that change
// assignments and the audio thread that drives mapped parameters, with the audio thread's takeover state.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "common/EParams.h"
#include "processor/midimaps/Takeover.h"

namespace vlm {

// Threads: Set and Controller from any thread (assignments change on the UI thread and on the host's
// thread); ForEachMappedTo and ResetTakeover on the audio thread only (or while no block runs). Each entry
// is one atomic word {generation, controller}; every Set bumps the generation, and the audio thread resets
// an entry's takeover state the first time it sees a new word, so a new assignment always starts unknown
// and the takeover state itself is never written by two threads.
class CcLookup {
public:
  static constexpr int kEntries = kNumSoundParams;

  // A fresh lookup maps nothing.
  CcLookup() noexcept {
    for (auto& word : mWords)
      word.store(kNone, std::memory_order_relaxed);
    mSeen.fill(kNone);
  }

  // controller -1 (or anything outside 0..127) means none.
  void Set(int soundParam, int controller) noexcept {
    if (soundParam < 0 || soundParam >= kEntries)
      return;
    const std::uint32_t cc =
        controller >= 0 && controller <= 127 ? static_cast<std::uint32_t>(controller) : kNone;
    auto& word = mWords[static_cast<std::size_t>(soundParam)];
    std::uint32_t old = word.load(std::memory_order_relaxed);
    while (!word.compare_exchange_weak(old, (((old >> 8) + 1) << 8) | cc, std::memory_order_release,
                                       std::memory_order_relaxed)) {
    }
  }

  // -1 for none, else 0..127.
  int Controller(int soundParam) const noexcept {
    if (soundParam < 0 || soundParam >= kEntries)
      return -1;
    const std::uint32_t cc =
        mWords[static_cast<std::size_t>(soundParam)].load(std::memory_order_acquire) & 0xFF;
    return cc == kNone ? -1 : static_cast<int>(cc);
  }

  // Calls f(soundParam, takeoverState) for every parameter mapped to controller, in index order.
  template <typename F> void ForEachMappedTo(int controller, F&& f) noexcept {
    for (int i = 0; i < kEntries; ++i) {
      const auto at = static_cast<std::size_t>(i);
      const std::uint32_t word = mWords[at].load(std::memory_order_acquire);
      if (static_cast<int>(word & 0xFF) != controller)
        continue;
      if (word != mSeen[at]) {
        mSeen[at] = word;
        mTakeover[at] = TakeoverState{};
      }
      f(i, mTakeover[at]);
    }
  }

  // Audio thread, or while no block runs.
  void ResetTakeover() noexcept { mTakeover.fill(TakeoverState{}); }

private:
  static constexpr std::uint32_t kNone = 0xFF;
  std::array<std::atomic<std::uint32_t>, kEntries> mWords;
  // Audio thread only: the word each takeover state belongs to.
  std::array<std::uint32_t, kEntries> mSeen{};
  std::array<TakeoverState, kEntries> mTakeover{};
};

} // namespace vlm

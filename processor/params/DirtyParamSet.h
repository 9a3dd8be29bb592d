// A set of parameter indices whose new values the audio thread has yet to apply; repeats coalesce.
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

// Threads: Mark from any thread (after the parameter's value has been stored); TakeEach on the audio
// thread, or on the thread that resets the processor while no block runs. Fixed size: it never overflows,
// a parameter changed many times between two blocks is applied once, with its latest value.
template <int kCount> class DirtyParamSet {
public:
  static constexpr int kWords = (kCount + 63) / 64;

  void Mark(int index) noexcept {
    if (index < 0 || index >= kCount)
      return;
    // Release: whoever takes the bit also sees the value stored before it.
    mWords[static_cast<std::size_t>(index / 64)].fetch_or(std::uint64_t{1} << (index % 64),
                                                          std::memory_order_release);
  }

  void MarkAll() noexcept {
    for (int i = 0; i < kCount; ++i)
      Mark(i);
  }

  // Clears every marked index and calls f(index) for each, in ascending order.
  template <typename F> void TakeEach(F&& f) noexcept {
    for (int w = 0; w < kWords; ++w) {
      std::uint64_t bits = mWords[static_cast<std::size_t>(w)].exchange(0, std::memory_order_acquire);
      while (bits != 0) {
        f(w * 64 + std::countr_zero(bits));
        bits &= bits - 1;
      }
    }
  }

  bool Contains(int index) const noexcept {
    if (index < 0 || index >= kCount)
      return false;
    return (mWords[static_cast<std::size_t>(index / 64)].load(std::memory_order_acquire) >> (index % 64)) &
           1u;
  }

  bool Empty() const noexcept {
    for (const auto& word : mWords)
      if (word.load(std::memory_order_acquire) != 0)
        return false;
    return true;
  }

private:
  std::array<std::atomic<std::uint64_t>, kWords> mWords{};
};

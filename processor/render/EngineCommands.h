// Commands from other threads to the sound engine, carried out by the audio thread at a block start.
#pragma once

#include <atomic>
#include <cstdint>

// A fixed lock-free set of pending commands. Repeats before the next block coalesce (all notes off twice
// is all notes off once), so posting never fails and never blocks, and any thread may post.
// Threads: Post from any thread; Take on the audio thread, or on the thread that resets the processor while
// no block runs.
class EngineCommands {
public:
  enum Command : std::uint32_t {
    kAllNotesOffUpper = 1u << 0,
    kAllNotesOffLower = 1u << 1,
    // The active effect of every slot restarts clean, once the output mute ramp is silent.
    kResetActiveEffects = 1u << 2,
  };

  void Post(std::uint32_t commands) noexcept { mPending.fetch_or(commands, std::memory_order_release); }
  // Every pending command at once, leaving none.
  std::uint32_t Take() noexcept { return mPending.exchange(0, std::memory_order_acquire); }
  std::uint32_t Peek() const noexcept { return mPending.load(std::memory_order_acquire); }

private:
  std::atomic<std::uint32_t> mPending{0};
};

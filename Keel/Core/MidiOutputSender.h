// One sender thread per MIDI output: the audio thread (thru) and the UI thread (system-exclusive)
// hand it messages without ever being inside the output at the same time.
#pragma once

#include "Keel/Core/RingQueue.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

namespace keel {

// Number of bytes a MIDI message with this status byte has, status included; 0 for a
// system-exclusive start (variable length) and for data bytes.
int MidiMessageLength(uint8_t status) noexcept;

// Threads: SendShort from the audio thread only (never blocks, never allocates); SendLong from
// any non-audio thread; Start/Stop from the UI thread. The output itself is called only on the
// sender's own thread.
class MidiOutputSender {
public:
  using Output = std::function<void(const uint8_t* bytes, size_t size)>;

  MidiOutputSender() = default;
  ~MidiOutputSender() { Stop(); }
  MidiOutputSender(const MidiOutputSender&) = delete;
  MidiOutputSender& operator=(const MidiOutputSender&) = delete;

  // Starts the sender thread over an open output. Exceptions thrown by the output are swallowed.
  void Start(Output output);
  // Sends what is still queued, then ends the thread.
  void Stop();
  bool IsRunning() const noexcept { return mRunning.load(std::memory_order_acquire); }

  // Queues a channel or system message, sent with the length its status implies; false when
  // there is no output or the queue is full.
  bool SendShort(uint8_t status, uint8_t data1, uint8_t data2) noexcept;
  // Queues a system-exclusive (or any long) message; false when there is no output.
  bool SendLong(const uint8_t* bytes, size_t size);

private:
  struct ShortMsg {
    uint8_t bytes[3];
    uint8_t size;
  };
  void Run();
  void Drain();

  Output mOutput;
  std::thread mThread;
  std::atomic<bool> mRunning{false};
  std::atomic<bool> mQuit{false};
  std::counting_semaphore<> mWake{0};
  RingQueue<ShortMsg> mShort{257};
  std::mutex mLongLock;
  std::vector<std::vector<uint8_t>> mLong;
};

} // namespace keel

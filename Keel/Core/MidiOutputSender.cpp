// The MIDI output sender thread.
#include "Keel/Core/MidiOutputSender.h"

namespace keel {

int MidiMessageLength(uint8_t status) noexcept {
  if (status < 0x80) return 0;
  if (status < 0xC0) return 3; // note off/on, poly pressure, control change
  if (status < 0xE0) return 2; // program change, channel pressure
  if (status < 0xF0) return 3; // pitch bend
  switch (status) {
  case 0xF0: return 0;         // system-exclusive: variable
  case 0xF1: case 0xF3: return 2;
  case 0xF2: return 3;
  default: return 1;           // tune request, end of exclusive, real-time
  }
}

void MidiOutputSender::Start(Output output) {
  Stop();
  mOutput = std::move(output);
  mQuit.store(false);
  mRunning.store(true, std::memory_order_release);
  mThread = std::thread([this] { Run(); });
}

void MidiOutputSender::Stop() {
  if (!mThread.joinable()) return;
  mRunning.store(false, std::memory_order_release);
  mQuit.store(true, std::memory_order_release);
  mWake.release();
  mThread.join();
  mOutput = nullptr;
}

bool MidiOutputSender::SendShort(uint8_t status, uint8_t data1, uint8_t data2) noexcept {
  if (!IsRunning()) return false;
  const int size = MidiMessageLength(status);
  if (size == 0) return false;
  if (!mShort.Push({{status, data1, data2}, uint8_t(size)})) return false;
  mWake.release();
  return true;
}

bool MidiOutputSender::SendLong(const uint8_t* bytes, size_t size) {
  if (!IsRunning() || !bytes || size == 0) return false;
  {
    std::lock_guard<std::mutex> lock(mLongLock);
    mLong.emplace_back(bytes, bytes + size);
  }
  mWake.release();
  return true;
}

void MidiOutputSender::Drain() {
  ShortMsg msg;
  while (mShort.Pop(msg)) {
    try {
      mOutput(msg.bytes, msg.size);
    } catch (...) {
    }
  }
  std::vector<std::vector<uint8_t>> pending;
  {
    std::lock_guard<std::mutex> lock(mLongLock);
    pending.swap(mLong);
  }
  for (const auto& m : pending) {
    try {
      mOutput(m.data(), m.size());
    } catch (...) {
    }
  }
}

void MidiOutputSender::Run() {
  while (!mQuit.load(std::memory_order_acquire)) {
    mWake.acquire();
    Drain();
  }
  Drain();
}

} // namespace keel

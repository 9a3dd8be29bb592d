// MIDI output sender: message lengths by status, order, and two threads feeding one output.
#include "Keel/Core/MidiOutputSender.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {

TEST(MidiMessageLength, FollowsTheStatusByte) {
  struct Case {
    uint8_t status;
    int length;
  } cases[] = {{0x90, 3}, {0x80, 3}, {0xB3, 3}, {0xC0, 2}, {0xD5, 2}, {0xEF, 3}, {0xF0, 0},
               {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF8, 1}, {0xFE, 1}, {0x45, 0}};
  for (const Case& c : cases) EXPECT_EQ(keel::MidiMessageLength(c.status), c.length) << int(c.status);
}

struct Recorder {
  std::mutex lock;
  std::vector<std::vector<uint8_t>> sent;
  int inside = 0;
  bool overlapped = false;
  void operator()(const uint8_t* b, size_t n) {
    {
      std::lock_guard<std::mutex> l(lock);
      if (++inside > 1) overlapped = true;
      sent.emplace_back(b, b + n);
    }
    std::lock_guard<std::mutex> l(lock);
    --inside;
  }
};

TEST(MidiOutputSender, RefusesWithoutAnOutput) {
  keel::MidiOutputSender sender;
  EXPECT_FALSE(sender.SendShort(0x90, 60, 100));
  const uint8_t sysex[] = {0xF0, 0x41, 0xF7};
  EXPECT_FALSE(sender.SendLong(sysex, 3));
}

TEST(MidiOutputSender, SendsEachMessageWithItsOwnLength) {
  Recorder rec;
  keel::MidiOutputSender sender;
  sender.Start([&](const uint8_t* b, size_t n) { rec(b, n); });
  EXPECT_TRUE(sender.SendShort(0xC0, 5, 0));
  EXPECT_TRUE(sender.SendShort(0x90, 60, 100));
  sender.Stop();
  ASSERT_EQ(rec.sent.size(), 2u);
  EXPECT_EQ(rec.sent[0], (std::vector<uint8_t>{0xC0, 5}));
  EXPECT_EQ(rec.sent[1], (std::vector<uint8_t>{0x90, 60, 100}));
}

TEST(MidiOutputSender, TwoThreadsNeverMeetInsideTheOutput) {
  Recorder rec;
  keel::MidiOutputSender sender;
  sender.Start([&](const uint8_t* b, size_t n) { rec(b, n); });
  std::thread audio([&] {
    for (int i = 0; i < 2000; ++i)
      while (!sender.SendShort(0x90, uint8_t(i & 0x7F), 1)) std::this_thread::yield();
  });
  const uint8_t sysex[] = {0xF0, 0x41, 0x35, 0xF7};
  for (int i = 0; i < 200; ++i) EXPECT_TRUE(sender.SendLong(sysex, sizeof sysex));
  audio.join();
  sender.Stop();
  EXPECT_FALSE(rec.overlapped);
  EXPECT_EQ(rec.sent.size(), 2200u);
  int lastNote = -1;
  for (const auto& m : rec.sent) {
    if (m[0] != 0x90) continue;
    EXPECT_EQ(m[1], (lastNote + 1) & 0x7F);
    lastNote = m[1];
  }
}

} // namespace

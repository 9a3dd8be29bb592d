// MIDI and system-exclusive entry: note routing per key mode, bend, controllers 7, 31, 64 and 123-127,
// and which system-exclusive messages are queued for the idle work.
#include <gtest/gtest.h>

#include <vector>

#include "tests/processor/PlayingProcessor.h"

namespace {

using namespace playing;
using namespace vlm;

bool Sounds(const TonePart& part, int note) {
  for (int v = 0; v < TonePart::kVoiceCount; ++v)
    if (part.VoiceKey(v) == note && part.VoiceHeld(v))
      return true;
  return false;
}

TEST(VelmoraMidi, NotesGoToThePartsTheKeyModeChooses) {
  struct Case {
    int keyMode, channel, note;
    bool upper, lower;
  };
  const Case cases[] = {
      {0, 0, 40, true, false},  {0, 5, 80, true, false}, // "Whole": any channel, Upper
      {1, 0, 40, true, false},  {1, 1, 40, false, true}, // "Split-2": channel 1 Upper, channel 2 Lower
      {1, 2, 40, false, false},                          // a third channel sounds nowhere
      {2, 0, 59, false, true},  {2, 0, 60, true, false}, // "Split-1" at 60: below is Lower
      {2, 9, 30, false, true},  {3, 0, 64, true, true},  // "Dual": both
  };
  Velmora& p = Processor();
  for (const Case& c : cases) {
    Restart(p, {{kKeyMode, c.keyMode}, {kSplitPoint, 60}});
    Midi(p, 0x90 | c.channel, c.note, 100);
    EXPECT_EQ(c.upper, Sounds(p.GetUpper(), c.note)) << "mode " << c.keyMode << " note " << c.note;
    EXPECT_EQ(c.lower, Sounds(p.GetLower(), c.note)) << "mode " << c.keyMode << " note " << c.note;
  }
}

TEST(VelmoraMidi, NoteOffsReachBothPartsWhateverTheKeyModeAndChannel) {
  Velmora& p = Processor();
  Restart(p, {{kKeyMode, 3}});
  Midi(p, 0x90, 62, 100);
  SetParam(p, kKeyMode, 2); // now "Split-1": the note-off still releases both parts
  Render(p, 64);
  Midi(p, 0x8B, 62, 0);
  EXPECT_FALSE(Sounds(p.GetUpper(), 62));
  EXPECT_FALSE(Sounds(p.GetLower(), 62));

  Midi(p, 0x90, 59, 100);
  Midi(p, 0x93, 59, 0); // velocity 0 is a note-off
  EXPECT_FALSE(Sounds(p.GetLower(), 59));
}

TEST(VelmoraMidi, WhileAnArpeggiatorIsActiveItTakesTheKeys) {
  Velmora& p = Processor();
  Restart(p, {{FxSlotParam(1, kFxSlotType), 12}});
  Render(p, 64);
  const vlm::dsp::Arpeggiator& arp = const_cast<vlm::dsp::FxRack&>(p.GetFxRack()).Slot(1).GetArpeggiator();
  Midi(p, 0x92, 60, 100);
  EXPECT_EQ(1, arp.HeldKeyCount());
  EXPECT_FALSE(Sounds(p.GetUpper(), 60));
  Midi(p, 0x92, 60, 0);
  EXPECT_EQ(0, arp.HeldKeyCount());
  Midi(p, 0x90, 64, 100);
  Midi(p, 0xB0, 123, 0); // all notes off resets the arpeggiator
  EXPECT_EQ(0, arp.NoteCount());
}

TEST(VelmoraMidi, PitchBendPositions) {
  struct Case {
    int lsb, msb;
    double position;
  };
  Velmora& p = Processor();
  Restart(p);
  for (const Case c : {Case{0x00, 0x40, 0.0}, Case{0x7F, 0x7F, 8191.0 / 8192.0}, Case{0x00, 0x00, -1.0}}) {
    Midi(p, 0xE3, c.lsb, c.msb);
    EXPECT_EQ(c.position, p.GetPitchBend());
  }
}

TEST(VelmoraMidi, ControllersOneAndPressureAreStoredForThePage) {
  Velmora& p = Processor();
  Restart(p);
  Midi(p, 0xB0, 1, 127);
  Midi(p, 0xD0, 100);
  EXPECT_EQ(1.0, p.GetModWheel());
  EXPECT_EQ(100 / 127.0, p.GetChannelPressure());
}

TEST(VelmoraMidi, ControllerThirtyOneQueuesABendRangeChangeForTheIdleWork) {
  struct Case {
    int value;
    double normalized;
  };
  Velmora& p = Processor();
  Restart(p);
  for (const Case c : {Case{50, 0.5}, Case{100, 1.0}, Case{127, 1.0}, Case{0, 0.0}}) {
    Midi(p, 0xB4, 31, c.value);
    IdleParamChange change{-1, -1.0};
    ASSERT_TRUE(p.PopControllerParamChange(change)) << c.value;
    EXPECT_EQ(kBendRange, change.index);
    EXPECT_DOUBLE_EQ(c.normalized, change.normalized) << c.value;
    EXPECT_FALSE(p.PopControllerParamChange(change));
  }
  // The parameter itself changes only when the idle work applies it on the UI thread.
  EXPECT_EQ(2.0, p.GetParam(kBendRange)->Value());
  for (int i = 0; i < 300; ++i) // a full ring drops, never blocks
    Midi(p, 0xB0, 31, 10);
  int queued = 0;
  IdleParamChange change;
  while (p.PopControllerParamChange(change))
    ++queued;
  EXPECT_EQ(256, queued);
}

TEST(VelmoraMidi, TheHoldPedalCountsOnlyWhileHoldIsMidi) {
  Velmora& p = Processor();
  for (const auto& [hold, held] : {std::pair{0, true}, std::pair{1, false}, std::pair{2, false}}) {
    Restart(p, {{kHold, hold}});
    Midi(p, 0xB0, 64, 64);
    EXPECT_EQ(held, p.GetUpper().HoldPedal()) << hold;
    EXPECT_EQ(held, p.GetLower().HoldPedal()) << hold;
    Midi(p, 0xB0, 64, 63);
    EXPECT_FALSE(p.GetUpper().HoldPedal());
  }
}

TEST(VelmoraMidi, ControllersOneTwentyThreeToOneTwentySevenSilenceBothParts) {
  Velmora& p = Processor();
  for (int controller = 123; controller <= 127; ++controller) {
    Restart(p, {{kKeyMode, 3}});
    Midi(p, 0x90, 60, 100);
    Midi(p, 0xB7, controller, 0);
    EXPECT_FALSE(Sounds(p.GetUpper(), 60)) << controller;
    EXPECT_FALSE(Sounds(p.GetLower(), 60)) << controller;
  }
}

TEST(VelmoraMidi, OnlySystemExclusiveMessagesOfSixTo511BytesBeginningWithF0AreQueued) {
  struct Case {
    int size;
    uint8_t first;
    bool queued;
  };
  Velmora& p = Processor();
  Restart(p);
  std::vector<uint8_t> bytes(600, 0x41);
  for (const Case c : {Case{5, 0xF0, false}, Case{6, 0xF0, true}, Case{511, 0xF0, true},
                       Case{512, 0xF0, false}, Case{100, 0xF7, false}, Case{100, 0x41, false}}) {
    bytes[0] = c.first;
    bytes[static_cast<size_t>(c.size) - 1] = 0xF7;
    p.ProcessSysEx(keel::SysExMsg(3, bytes.data(), c.size));
    keel::SysExRecord record;
    EXPECT_EQ(c.queued, p.PopHostSysEx(record)) << c.size;
    if (c.queued) {
      EXPECT_EQ(c.size, record.size);
      EXPECT_EQ(3, record.offset);
      EXPECT_EQ(0xF7, record.data[c.size - 1]);
    }
    bytes[static_cast<size_t>(c.size) - 1] = 0x41;
  }
  p.ProcessSysEx(keel::SysExMsg(0, nullptr, 10));
  keel::SysExRecord record;
  EXPECT_FALSE(p.PopHostSysEx(record));
}

} // namespace

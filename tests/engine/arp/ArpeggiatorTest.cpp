// Arpeggiator behaviour: patterns, timing tables, ties, swing, hold, stray releases and capacity.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <vector>

#include "engine/arp/Arpeggiator.h"

using vlm::dsp::Arpeggiator;
using vlm::dsp::NoteEvent;

namespace {

constexpr double kRate = 48000.0;
constexpr double kTempo = 120.0;
constexpr double kSamplesPerQuarter = kRate * 60.0 / kTempo; // 24000
constexpr int kSixteenth = 6000;                             // "1/16" at 120 BPM, 48 kHz

struct Ev {
  long time; // absolute sample
  bool on;
  int note;
  bool operator==(const Ev&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Ev& e) {
  return os << "{" << e.time << (e.on ? " on " : " off ") << e.note << "}";
}

// Normalised values that select a setting.
double ModeValue(int mode) {
  return mode / 5.0;
}
double OctaveValue(int octaves) {
  return (octaves - 1) / 3.0;
}
double DivisionValue(int index) {
  return index / 11.0;
}

class ArpeggiatorTest : public ::testing::Test {
protected:
  // The arpeggiator is small, but it lives on the heap like the rack that holds it.
  void SetUp() override {
    arp = std::make_unique<Arpeggiator>();
    arp->Prepare(kRate);
    arp->SetTempo(kTempo);
  }

  // Runs `total` frames in blocks of `block` and returns the events with absolute times.
  std::vector<Ev> Run(long total, int block, bool transport = false, double startQuarter = 0.0,
                      int capacity = vlm::dsp::kNoteEventCapacity) {
    std::vector<Ev> out;
    std::vector<NoteEvent> buf(static_cast<std::size_t>(capacity));
    for (long start = 0; start < total; start += block) {
      const int frames = static_cast<int>(std::min<long>(block, total - start));
      const double pos = startQuarter + static_cast<double>(start) / kSamplesPerQuarter;
      const int n = arp->GenerateEvents(frames, buf.data(), capacity, pos, transport);
      EXPECT_LE(n, capacity);
      for (int i = 0; i < n; ++i) {
        EXPECT_GE(buf[i].offset, 0);
        EXPECT_LT(buf[i].offset, frames);
        if (i > 0) {
          EXPECT_GE(buf[i].offset, buf[i - 1].offset) << "events come in time order";
        }
        out.push_back({start + buf[i].offset, buf[i].noteOn != 0, buf[i].note});
      }
    }
    return out;
  }

  // Both ways of rendering must give the same table.
  void ExpectTable(long total, const std::vector<Ev>& expected, bool transport = false,
                   double startQuarter = 0.0) {
    const auto once = Run(total, static_cast<int>(total), transport, startQuarter);
    EXPECT_EQ(once, expected) << "one call";
    ReplaySetup();
    const auto blocks = Run(total, 64, transport, startQuarter);
    EXPECT_EQ(blocks, expected) << "64-frame blocks";
  }

  // Records the setup so that ExpectTable can run it twice.
  void Setup(std::vector<std::pair<int, double>> params, std::vector<int> notes) {
    mParams = std::move(params);
    mNotes = std::move(notes);
    ReplaySetup();
  }
  void ReplaySetup() {
    arp = std::make_unique<Arpeggiator>();
    arp->Prepare(kRate);
    arp->SetTempo(kTempo);
    for (auto [index, value] : mParams)
      arp->SetParameter(index, value);
    for (int note : mNotes)
      arp->NoteOn(note, 0.8, 0);
  }

  // Notes of the note-ons, in order.
  static std::vector<int> OnNotes(const std::vector<Ev>& events) {
    std::vector<int> notes;
    for (const auto& e : events)
      if (e.on)
        notes.push_back(e.note);
    return notes;
  }

  std::unique_ptr<Arpeggiator> arp;
  std::vector<std::pair<int, double>> mParams;
  std::vector<int> mNotes;
};

TEST_F(ArpeggiatorTest, UpDownBouncesWithoutRepeatingTheEnds) {
  Setup({{0, ModeValue(Arpeggiator::kUpDown)}}, {60, 64, 67});
  std::vector<Ev> expected;
  const int pattern[] = {60, 64, 67, 64, 60, 64, 67};
  for (int i = 0; i < 7; ++i) {
    expected.push_back({long(i) * kSixteenth, true, pattern[i]});
    expected.push_back({long(i) * kSixteenth + kSixteenth / 2, false, pattern[i]});
  }
  ExpectTable(7L * kSixteenth, expected);

  Setup({{0, ModeValue(Arpeggiator::kUpDown)}}, {60, 64});
  EXPECT_EQ(OnNotes(Run(4L * kSixteenth, 64)), (std::vector<int>{60, 64, 60, 64}));
}

TEST_F(ArpeggiatorTest, UpWithFullGateTiesEachNoteIntoTheNextStep) {
  Setup({{3, 1.0}}, {60, 64});
  // Legato: the next note starts before the previous one ends, on the same sample.
  const std::vector<Ev> expected = {
      {0, true, 60},      {6000, true, 64},  {6000, false, 60},  {12000, true, 60},
      {12000, false, 64}, {18000, true, 64}, {18000, false, 60},
  };
  ExpectTable(4L * kSixteenth, expected);

  // A repeated note is released before it sounds again.
  Setup({{3, 1.0}}, {60});
  const std::vector<Ev> repeat = {
      {0, true, 60}, {6000, false, 60}, {6000, true, 60}, {12000, false, 60}, {12000, true, 60}};
  ExpectTable(2L * kSixteenth + 1, repeat);
}

TEST_F(ArpeggiatorTest, ChordOverTwoOctavesAlternatesAndDropsNotesAbove127) {
  Setup({{0, ModeValue(Arpeggiator::kChord)}, {1, OctaveValue(2)}}, {60, 64, 67});
  std::vector<Ev> expected;
  for (int step = 0; step < 3; ++step) {
    const int shift = step % 2 == 0 ? 0 : 12;
    for (int n : {60, 64, 67})
      expected.push_back({long(step) * kSixteenth, true, n + shift});
    for (int n : {60, 64, 67})
      expected.push_back({long(step) * kSixteenth + 3000, false, n + shift});
  }
  ExpectTable(3L * kSixteenth, expected);

  Setup({{0, ModeValue(Arpeggiator::kChord)}, {1, OctaveValue(2)}}, {100, 120});
  EXPECT_EQ(OnNotes(Run(2L * kSixteenth, 64)), (std::vector<int>{100, 120, 112}));
}

TEST_F(ArpeggiatorTest, SwingLengthensEvenStepsAndShortensOddOnes) {
  // Swing 0.75, free running: 1.5 and 0.5 sixteenths alternately; the gate follows each step.
  Setup({{4, 1.0}}, {60, 64});
  const std::vector<Ev> expected = {
      {0, true, 60},     {4500, false, 60},  {9000, true, 64},  {10500, false, 64},
      {12000, true, 60}, {16500, false, 60}, {21000, true, 64}, {22500, false, 64},
  };
  ExpectTable(24000, expected);

  // Swing 0.5 gives equal steps.
  Setup({{4, 0.0}}, {60, 64});
  const auto even = Run(24000, 64);
  ASSERT_EQ(OnNotes(even).size(), 4u);
  EXPECT_EQ(even[2].time, 6000);
  EXPECT_EQ(even[6].time, 18000);
}

TEST_F(ArpeggiatorTest, RunningTransportLocksStepsToTheSwungBeatGrid) {
  // Starting 0.1 quarter notes into the bar, the first step lands on the swung sixteenth at 0.375.
  Setup({{4, 1.0}}, {60, 64});
  const std::vector<Ev> expected = {
      {0, true, 60},     {3300, false, 60},  // 0.1 -> 0.375: 6600 samples
      {6600, true, 64},  {8100, false, 64},  // 0.375 -> 0.5: 3000
      {9600, true, 60},  {14100, false, 60}, // 0.5 -> 0.875: 9000
      {18600, true, 64}, {20100, false, 64}, // 0.875 -> 1.0: 3000
  };
  ExpectTable(21600, expected, true, 0.1);
}

TEST_F(ArpeggiatorTest, PatternsFollowTheirModes) {
  struct Case {
    int mode;
    int octaves;
    std::vector<int> press;
    std::vector<int> plays;
  };
  const Case cases[] = {
      {Arpeggiator::kUp, 2, {64, 60}, {60, 64, 72, 76, 60}},
      {Arpeggiator::kDown, 2, {60, 64}, {76, 72, 64, 60, 76}},
      {Arpeggiator::kPlayed, 1, {64, 60, 67}, {64, 60, 67, 64}},
      {Arpeggiator::kUp, 2, {120}, {120, 120}}, // 132 is skipped: the next step plays
  };
  for (const auto& c : cases) {
    Setup({{0, ModeValue(c.mode)}, {1, OctaveValue(c.octaves)}}, c.press);
    EXPECT_EQ(OnNotes(Run(long(c.plays.size()) * kSixteenth, 64)), c.plays) << "mode " << c.mode;
  }

  // Random stays within the list and its octaves, and is the same on every run.
  Setup({{0, ModeValue(Arpeggiator::kRandom)}, {1, OctaveValue(2)}}, {60, 64});
  const auto first = OnNotes(Run(40L * kSixteenth, 64));
  for (int n : first)
    EXPECT_TRUE(n == 60 || n == 64 || n == 72 || n == 76) << n;
  EXPECT_GT(std::set<int>(first.begin(), first.end()).size(), 2u);
  ReplaySetup();
  EXPECT_EQ(OnNotes(Run(40L * kSixteenth, 64)), first);
}

TEST_F(ArpeggiatorTest, ParametersMapToSettings) {
  struct Case {
    int index;
    double value;
    int mode, octaves, division;
    double gate, swing;
  };
  const Case cases[] = {
      {0, 0.5, 3, 1, 3, 0.5, 0.5}, // N(2.5) = 3 "Random"
      {0, 2.0, 5, 1, 3, 0.5, 0.5}, // clamped to 1
      {1, 1.0, 0, 4, 3, 0.5, 0.5},
      {1, 0.5, 0, 3, 3, 0.5, 0.5}, // N(1.5) = 2, plus 1
      {2, 0.5, 0, 1, 6, 0.5, 0.5}, // N(5.5) = 6 "1/8"
      {2, std::numeric_limits<double>::quiet_NaN(), 0, 1, 0, 0.5, 0.5},
      {3, 0.0, 0, 1, 3, 0.05, 0.5},
      {4, 1.0, 0, 1, 3, 0.5, 0.75},
      {7, 1.0, 0, 1, 3, 0.5, 0.5}, // unused index
  };
  for (const auto& c : cases) {
    Arpeggiator a;
    a.SetParameter(c.index, c.value);
    EXPECT_EQ(a.GetMode(), c.mode) << c.index << " " << c.value;
    EXPECT_EQ(a.GetOctaves(), c.octaves) << c.index << " " << c.value;
    EXPECT_EQ(a.GetDivision(), c.division) << c.index << " " << c.value;
    EXPECT_DOUBLE_EQ(a.GetGate(), c.gate) << c.index << " " << c.value;
    EXPECT_DOUBLE_EQ(a.GetSwing(), c.swing) << c.index << " " << c.value;
  }
  Arpeggiator a;
  a.SetTempo(0.0);
  a.SetTempo(-5.0);
  a.SetTempo(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(a.GetTempo(), 120.0);
  a.SetTempo(90.0);
  EXPECT_EQ(a.GetTempo(), 90.0);
}

TEST_F(ArpeggiatorTest, DivisionAndTempoSetTheStepLength) {
  Setup({{2, DivisionValue(9)}}, {60}); // "1/4"
  arp->SetTempo(90.0);                  // 32000 samples per beat
  const auto events = Run(64001, 64);
  ASSERT_GE(events.size(), 5u);
  EXPECT_EQ(events[2], (Ev{32000, true, 60}));
  EXPECT_EQ(events[4], (Ev{64000, true, 60}));
}

TEST_F(ArpeggiatorTest, ReleasingEveryKeyStopsThePatternAndANewKeyRestartsIt) {
  Setup({}, {60, 64});
  Run(kSixteenth + 64, 64);
  arp->NoteOff(60);
  arp->NoteOff(64);
  EXPECT_EQ(arp->NoteCount(), 0);
  auto events = Run(2L * kSixteenth, 64);
  EXPECT_TRUE(OnNotes(events).empty());
  EXPECT_FALSE(arp->IsRunning());

  arp->NoteOn(67, 1.0, 3);
  std::vector<NoteEvent> buf(8);
  ASSERT_GE(arp->GenerateEvents(64, buf.data(), 8, 0.0, false), 1);
  EXPECT_EQ(buf[0].offset, 0);
  EXPECT_EQ(buf[0].note, 67);
  EXPECT_EQ(buf[0].channel, 3);
  EXPECT_DOUBLE_EQ(buf[0].velocity, 1.0);
}

TEST_F(ArpeggiatorTest, HoldKeepsReleasedKeysUntilAFreshPress) {
  Setup({{5, 1.0}}, {60, 64});
  arp->NoteOff(60);
  arp->NoteOff(64);
  EXPECT_EQ(arp->NoteCount(), 2) << "hold keeps the pattern";
  EXPECT_EQ(OnNotes(Run(3L * kSixteenth, 64)), (std::vector<int>{60, 64, 60}));

  arp->NoteOn(67, 0.8, 0); // every key was up: a new pattern with this key only
  EXPECT_EQ(arp->NoteCount(), 1);
  EXPECT_EQ(OnNotes(Run(2L * kSixteenth, 64)).front(), 67);

  arp->NoteOn(72, 0.8, 0); // 67 still down: added
  EXPECT_EQ(arp->NoteCount(), 2);

  // Switching hold off drops what only hold kept.
  arp->NoteOff(67);
  arp->SetParameter(5, 0.0);
  EXPECT_EQ(arp->NoteCount(), 1);
  EXPECT_EQ(arp->NoteAt(0), 72);
}

TEST_F(ArpeggiatorTest, StrayReleasesChangeNothing) {
  Setup({{5, 1.0}}, {60});
  arp->NoteOff(61);  // never pressed
  arp->NoteOff(128); // out of range
  arp->NoteOff(-1);
  EXPECT_EQ(arp->HeldKeyCount(), 1);
  // 60 is still down, so this press adds to the pattern rather than starting a new one.
  arp->NoteOn(64, 0.8, 0);
  EXPECT_EQ(arp->NoteCount(), 2);

  arp->NoteOff(60);
  arp->NoteOff(60); // a second release of the same key
  EXPECT_EQ(arp->HeldKeyCount(), 1);
  arp->NoteOn(128, 0.8, 0);
  arp->NoteOn(-3, 0.8, 0);
  EXPECT_EQ(arp->NoteCount(), 2);
}

TEST_F(ArpeggiatorTest, TheSeventeenthKeyIsNotArpeggiated) {
  std::vector<int> keys;
  for (int n = 40; n < 57; ++n)
    keys.push_back(n);
  Setup({}, keys);
  EXPECT_EQ(arp->NoteCount(), Arpeggiator::kMaxNotes);
  EXPECT_EQ(arp->NoteAt(15), 55);
  EXPECT_EQ(arp->HeldKeyCount(), 17);
}

// Every note-on is answered by exactly one note-off, and no note is started twice.
void ExpectBalanced(const std::vector<Ev>& events) {
  std::set<int> sounding;
  for (const auto& e : events) {
    if (e.on) {
      EXPECT_TRUE(sounding.insert(e.note).second) << "started twice: " << e;
    } else {
      EXPECT_EQ(sounding.erase(e.note), 1u) << "released but not sounding: " << e;
    }
  }
  EXPECT_TRUE(sounding.empty()) << sounding.size() << " notes left hanging";
}

TEST_F(ArpeggiatorTest, AFullEventArrayDelaysNoteOffsAndNeverLosesThem) {
  // A tied 16-note chord at "1/64" needs 32 events per step; give the array room for 20.
  std::vector<int> keys;
  for (int n = 40; n < 56; ++n)
    keys.push_back(n);
  Setup({{0, ModeValue(Arpeggiator::kChord)}, {2, DivisionValue(0)}, {3, 1.0}}, keys);
  auto events = Run(20000, 4096, false, 0.0, 20);
  for (int n : keys)
    arp->NoteOff(n);
  const auto tail = Run(20000, 4096, false, 0.0, 20);
  events.insert(events.end(), tail.begin(), tail.end());
  ASSERT_FALSE(events.empty());
  ExpectBalanced(events);
}

TEST_F(ArpeggiatorTest, ShortStepsWithLargeBlocksStayBalancedAndCapped) {
  std::vector<int> keys;
  for (int n = 60; n < 76; ++n)
    keys.push_back(n);
  Setup({{0, ModeValue(Arpeggiator::kChord)}, {2, DivisionValue(0)}, {1, 1.0}}, keys);
  arp->SetTempo(999.0);
  auto events = Run(48000, 8192);
  for (int n : keys)
    arp->NoteOff(n);
  const auto tail = Run(48000, 8192);
  events.insert(events.end(), tail.begin(), tail.end());
  ExpectBalanced(events);
}

TEST_F(ArpeggiatorTest, ResetForgetsEverythingAndBumpsTheGeneration) {
  Setup({{3, 1.0}}, {60, 64});
  Run(kSixteenth + 10, 64);
  const auto before = arp->Generation();
  arp->Reset();
  EXPECT_EQ(arp->Generation(), before + 1);
  EXPECT_EQ(arp->NoteCount(), 0);
  EXPECT_EQ(arp->HeldKeyCount(), 0);
  EXPECT_EQ(arp->PendingNoteOffCount(), 0);
  EXPECT_FALSE(arp->IsRunning());
  EXPECT_TRUE(Run(4L * kSixteenth, 64).empty());
}

TEST_F(ArpeggiatorTest, MissingArrayOrFramesGiveNothing) {
  Setup({}, {60});
  NoteEvent one{};
  EXPECT_EQ(arp->GenerateEvents(64, nullptr, 8, 0.0, false), 0);
  EXPECT_EQ(arp->GenerateEvents(64, &one, 0, 0.0, false), 0);
  EXPECT_EQ(arp->GenerateEvents(0, &one, 1, 0.0, false), 0);
  EXPECT_EQ(arp->GenerateEvents(64, &one, 1, 0.0, false), 1) << "still restarts on the first real block";
}

TEST_F(ArpeggiatorTest, PrepareAtZeroRunsAt48k) {
  arp->Prepare(0.0);
  arp->NoteOn(60, 0.5, 0);
  const auto events = Run(kSixteenth + 1, 64);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[2], (Ev{kSixteenth, true, 60}));
}

} // namespace

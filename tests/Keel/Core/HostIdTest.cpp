// Host recognition: first key found wins, in the table's order.
#include "Keel/Core/HostId.h"

#include <gtest/gtest.h>

namespace {

TEST(LookUpHostId, OrderOfKeysDecidesOverlaps) {
  struct Case {
    const char* name;
    int id;
  } cases[] = {
      {"", 0},
      {"Unknown Host", 0},
      {"REAPER", 1},
      {"WaveLab Elements 11", 32},
      {"WaveLab Pro", 31},
      {"www standalone", 24},
      {"www.example", 35},
      {"Bitwig Studio", 34},
      {"Ableton Live 11", 9},
      {"Blue Cat's VST Host", 44},
      {"standalone", 24},
  };
  for (const Case& c : cases) EXPECT_EQ(keel::LookUpHostId(c.name), c.id) << c.name;
}

} // namespace

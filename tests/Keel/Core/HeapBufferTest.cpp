// Growth and shrink policy of HeapBuffer, and the owning pointer list on top of it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "Keel/Core/HeapBuffer.h"
#include "Keel/Core/PtrList.h"

using keel::HeapBuffer;

namespace {

struct GrowthCase {
  int granularity;
  int from;
  int to;
  int expectedAllocation;
};

class HeapBufferGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(HeapBufferGrowth, ReservesWhatThePolicyPrescribes) {
  const GrowthCase c = GetParam();
  HeapBuffer buf(c.granularity);
  buf.Resize(c.from);
  buf.Resize(c.to);
  EXPECT_EQ(buf.GetSize(), c.to);
  EXPECT_EQ(buf.GetAllocation(), c.expectedAllocation);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeapBufferGrowth,
    ::testing::Values(GrowthCase{128, 0, 10, 138},    // small granularity: size + granularity
                      GrowthCase{128, 0, 1000, 1500}, // size / 2 beats the granularity
                      GrowthCase{128, 10, 100, 138},  // fits: no reallocation
                      GrowthCase{4096, 0, 8, 4000},   // page rounding less 96 bytes of slack
                      GrowthCase{4096, 4000, 5000, 8096},
                      GrowthCase{4096, 0, 100000, 147360},     // extra 50000 rounded down to 49152
                      GrowthCase{4096, 0, 10000000, 14192544}, // extra capped at 4 MiB
                      GrowthCase{4096, 0, 0, 0}));

TEST(HeapBuffer, ShrinksOnlyWhenAskedAndFarBelowTheAllocation) {
  HeapBuffer page(4096);
  page.Resize(8);
  ASSERT_EQ(page.GetAllocation(), 4000);
  // threshold min(2000, 4000 - 16384) is raised to 1: any size above 0 keeps the block
  page.Resize(1, true);
  EXPECT_EQ(page.GetAllocation(), 4000);
  EXPECT_EQ(page.GetSize(), 1);

  HeapBuffer small(128);
  small.Resize(1000);
  ASSERT_EQ(small.GetAllocation(), 1500);
  small.Resize(10, false);
  EXPECT_EQ(small.GetAllocation(), 1500) << "without the flag a buffer never reallocates downwards";
  small.Resize(1000);
  small.Resize(10, true); // threshold min(750, 1500 - 512) = 750
  EXPECT_EQ(small.GetAllocation(), 138);
}

TEST(HeapBuffer, KeepsLeadingBytesAcrossReallocationAndFreesAtZero) {
  HeapBuffer buf(128);
  char* data = static_cast<char*>(buf.Resize(5));
  std::memcpy(data, "abcde", 5);
  data = static_cast<char*>(buf.Resize(5000));
  EXPECT_EQ(std::memcmp(data, "abcde", 5), 0);
  EXPECT_EQ(buf.Resize(0), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.GetAllocation(), 0);
  EXPECT_EQ(buf.Get(), nullptr);
  EXPECT_EQ(buf.Resize(-7), nullptr) << "a negative size counts as 0";
}

TEST(HeapBuffer, SizesBeyondAnIntLeaveTheBufferUnchanged) {
  HeapBuffer buf(4096);
  buf.Resize(16);
  buf.Resize(INT_MAX - 10); // the policy's allocation would pass INT_MAX
  EXPECT_EQ(buf.GetSize(), 16);
  EXPECT_EQ(HeapBuffer::AllocationFor(2000000000, 128), -1);
}

struct Counted {
  static inline int alive = 0;
  static inline int lastDeletedId = -1;
  int id;
  explicit Counted(int i) : id(i) { ++alive; }
  ~Counted() {
    --alive;
    lastDeletedId = id;
  }
};

TEST(PtrList, OwnsItsObjectsAndDeletesThemLastFirst) {
  {
    keel::PtrList<Counted> list;
    for (int i = 0; i < 3; ++i)
      list.Add(new Counted(i));
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.Get(2)->id, 2);
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    list.Empty(true);
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_EQ(Counted::lastDeletedId, 0);
    EXPECT_EQ(list.GetSize(), 0);
    list.Add(new Counted(9));
  }
  EXPECT_EQ(Counted::alive, 0) << "destruction deletes what is left";
}

} // namespace

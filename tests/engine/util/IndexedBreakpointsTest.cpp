// The indexed curve lookups give the bisection lookup's values everywhere, ends and breakpoints
// included: exactly at and beyond the ends, and within a few ulp of the curve's range in between.
#include "engine/voice/VoiceCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

template <std::size_t N, std::size_t B>
void ExpectSameAsBisection(const IndexedBreakpoints<N, B>& fast, const std::array<Breakpoint, N>& table,
                           const char* name) {
  std::mt19937_64 rng(7);
  const double lo = table.front().x;
  const double hi = table.back().x;
  double range = 0.0;
  for (const Breakpoint& p : table)
    range = std::max(range, std::fabs(p.y));
  const double tolerance = 8.0 * std::numeric_limits<double>::epsilon() * range;
  std::uniform_real_distribution<double> inRange(lo - 0.1 * (hi - lo), hi + 0.1 * (hi - lo));
  for (int i = 0; i < 100000; ++i) {
    const double x = inRange(rng);
    ASSERT_NEAR(fast(x), Interpolate(table, x), tolerance) << name << " at " << x;
  }
  for (const Breakpoint& p : table)
    for (double x : {p.x, std::nextafter(p.x, -1e9), std::nextafter(p.x, 1e9)})
      ASSERT_NEAR(fast(x), Interpolate(table, x), tolerance) << name << " near breakpoint " << x;
  for (double x : {lo, std::nextafter(lo, -1e9), hi, std::nextafter(hi, 1e9), lo - 1.0, hi + 1.0})
    EXPECT_EQ(fast(x), Interpolate(table, x)) << name << " at the end " << x;
  EXPECT_EQ(fast(std::numeric_limits<double>::quiet_NaN()), table.front().y) << name;

  // Started from the caller's last segment, a lookup gives what the indexed one gives, whether x has
  // stayed in that segment, crept into the next one or jumped anywhere (breakpoints, ends, NaN).
  std::uint32_t segment = 0;
  double x = lo;
  for (int i = 0; i < 20000; ++i) {
    x = i % 97 == 0 ? inRange(rng) : x + (hi - lo) * 1e-3 * (rng() % 3 == 0 ? -1.0 : 1.0);
    ASSERT_EQ(fast(x, segment), fast(x)) << name << " at " << x;
  }
  for (const Breakpoint& p : table)
    for (double y :
         {p.x, std::nextafter(p.x, -1e9), std::nextafter(p.x, 1e9), std::numeric_limits<double>::quiet_NaN()})
      ASSERT_EQ(fast(y, segment), fast(y)) << name << " from segment " << segment << " at " << y;
}

TEST(IndexedBreakpoints, EveryVoiceCurveMatchesTheBisectionLookup) {
  ExpectSameAsBisection(kEnv1CurveLookup, kEnv1CurvePercent, "env1");
  ExpectSameAsBisection(kXmodDepthLookup, kXmodDepthOctaves, "xmod");
  ExpectSameAsBisection(kFilterEnvDecayLookup, kFilterEnvDecayShape, "Fd");
  ExpectSameAsBisection(kFilterEnvAttackLookup, kFilterEnvAttackShape, "Fa");
  ExpectSameAsBisection(kAmpAttackLookup, kAmpAttackShape, "Ga");
  ExpectSameAsBisection(kAmpReleaseLookup, kAmpReleaseShape, "Gr");
  ExpectSameAsBisection(kAmpDecayLookup, kDecayShapeCurve, "Gd");
  ExpectSameAsBisection(kDecayShapeLookup, kDecayShapeCurve, "D");
}

// Tables built at run time with irrational, uneven x (the ladder's gain table in log2 of Hz) are
// indexed just as closely.
TEST(IndexedBreakpoints, RunTimeTableInLog2MatchesTheBisectionLookup) {
  std::array<Breakpoint, 11> table{};
  const double hz[11] = {200, 530, 1300, 2000, 3300, 5000, 8000, 12000, 16000, 22000, 30000};
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = {std::log2(hz[i]), static_cast<double>(i % 3) - 0.7 * static_cast<double>(i)};
  const IndexedBreakpoints<11> fast(table);
  ExpectSameAsBisection(fast, table, "log2 Hz");
}

// The last breakpoint gives its own value even when the lookup starts from the last segment, where the
// segment's slope would not land on it exactly (0.9 / 0.3 x 0.3 is 0.8999999999999999).
TEST(IndexedBreakpoints, LastBreakpointFromTheLastSegmentIsExact) {
  const std::array<Breakpoint, 3> table = {{{-0.1, 0.0}, {0.0, 0.0}, {0.3, 0.9}}};
  const IndexedBreakpoints<3> fast(table);
  std::uint32_t segment = 1;
  EXPECT_EQ(fast(0.15, segment), fast(0.15));
  EXPECT_EQ(segment, 1u);
  EXPECT_EQ(fast(0.3, segment), 0.9);
  ExpectSameAsBisection(fast, table, "uneven end");
}

} // namespace

// The indexed curve lookups give bit-identical values to the bisection lookup everywhere, ends and
// breakpoints included.
#include "engine/voice/VoiceCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

template <std::size_t N, std::size_t B>
void ExpectSameAsBisection(const IndexedBreakpoints<N, B>& fast, const std::array<Breakpoint, N>& table,
                           const char* name) {
  std::mt19937_64 rng(7);
  const double lo = table.front().x;
  const double hi = table.back().x;
  std::uniform_real_distribution<double> inRange(lo - 0.1 * (hi - lo), hi + 0.1 * (hi - lo));
  for (int i = 0; i < 100000; ++i) {
    const double x = inRange(rng);
    ASSERT_EQ(fast(x), Interpolate(table, x)) << name << " at " << x;
  }
  for (const Breakpoint& p : table)
    for (double x : {p.x, std::nextafter(p.x, -1e9), std::nextafter(p.x, 1e9)})
      ASSERT_EQ(fast(x), Interpolate(table, x)) << name << " near breakpoint " << x;
  EXPECT_EQ(fast(std::numeric_limits<double>::quiet_NaN()), table.front().y) << name;
}

TEST(IndexedBreakpoints, EveryVoiceCurveMatchesTheBisectionLookup) {
  ExpectSameAsBisection(kEnv1CurveLookup, kEnv1CurvePercent, "env1");
  ExpectSameAsBisection(kXmodDepthLookup, kXmodDepthOctaves, "xmod");
  ExpectSameAsBisection(kFilterEnvDecayLookup, kFilterEnvDecayShape, "Fd");
  ExpectSameAsBisection(kFilterEnvAttackLookup, kFilterEnvAttackShape, "Fa");
  ExpectSameAsBisection(kAmpAttackLookup, kAmpAttackShape, "Ga");
  ExpectSameAsBisection(kAmpReleaseLookup, kAmpReleaseShape, "Gr");
  ExpectSameAsBisection(kAmpDecayLookup, kDecayShapeCurve, "Gd");
}

} // namespace

// Breakpoint table with a uniform index over its x range: the same result as Interpolate in constant time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/util/BreakpointTable.h"

// The voice looks up several curves per sample; bisection costs a handful of unpredictable branches
// each time. A grid of kBuckets start segments over the x range finds the segment in one or two steps.
// Each segment's slope is divided out once here, so a lookup multiplies where Interpolate divides: the
// two agree to within an ulp or two of the curve's range.
template <std::size_t N, std::size_t kBuckets = 128> class IndexedBreakpoints {
  static_assert(N >= 2 && N <= 256 && kBuckets >= 1, "segment starts are stored in bytes");

public:
  constexpr explicit IndexedBreakpoints(const std::array<Breakpoint, N>& table) : mTable(table) {
    mFirstX = table[0].x;
    const double span = table[N - 1].x - table[0].x;
    mScale = static_cast<double>(kBuckets) / span;
    for (std::size_t b = 0; b < kBuckets; ++b) {
      const double start = mFirstX + span * static_cast<double>(b) / static_cast<double>(kBuckets);
      std::size_t lo = 0;
      while (lo + 2 < N && table[lo + 1].x < start)
        ++lo;
      mStart[b] = static_cast<unsigned char>(lo);
    }
    for (std::size_t i = 0; i + 1 < N; ++i)
      mSlope[i] = (table[i + 1].y - table[i].y) / (table[i + 1].x - table[i].x);
  }

  double operator()(double x) const noexcept {
    if (!(x > mTable[0].x))
      return mTable[0].y;
    if (x >= mTable[N - 1].x)
      return mTable[N - 1].y;
    return Along(Segment(x), x);
  }

  // The same value, trying `segment` first: a curve read every sample by one caller moves a little each
  // time and mostly stays within the segment it was in, which is then checked in two comparisons instead
  // of indexed. `segment` is the caller's own memory of it (0 at the start); it is updated. (Not a char
  // type: a store through one may alias anything, and the caller's doubles would be reloaded after it.)
  double operator()(double x, std::uint32_t& segment) const noexcept {
    // Strictly inside the remembered segment: inside the table too, so the ends need no test.
    if (mTable[segment].x < x && x < mTable[segment + 1].x)
      return Along(segment, x);
    if (!(x > mTable[0].x))
      return mTable[0].y;
    if (x >= mTable[N - 1].x)
      return mTable[N - 1].y;
    std::size_t lo = segment;
    if (!(mTable[lo].x < x && !(mTable[lo + 1].x < x))) {
      lo = Segment(x);
      segment = static_cast<std::uint32_t>(lo);
    }
    return Along(lo, x);
  }

  // The table and its segment slopes, for a form of the same lookup elsewhere (the lanes').
  const Breakpoint& Point(std::size_t i) const noexcept { return mTable[i]; }
  double Slope(std::size_t i) const noexcept { return mSlope[i]; }

private:
  // The segment lo with table[lo].x < x <= table[lo + 1].x, for x strictly inside the table.
  std::size_t Segment(double x) const noexcept {
    std::size_t b = static_cast<std::size_t>((x - mFirstX) * mScale);
    if (b >= kBuckets)
      b = kBuckets - 1;
    std::size_t lo = mStart[b];
    while (lo > 0 && !(mTable[lo].x < x)) // rounding of the bucket index can land one bucket late
      --lo;
    while (mTable[lo + 1].x < x)
      ++lo;
    return lo;
  }

  double Along(std::size_t lo, double x) const noexcept {
    return mTable[lo].y + mSlope[lo] * (x - mTable[lo].x);
  }

  std::array<Breakpoint, N> mTable;
  std::array<unsigned char, kBuckets> mStart{};
  std::array<double, N - 1> mSlope{};
  double mFirstX = 0.0;
  double mScale = 1.0;
};

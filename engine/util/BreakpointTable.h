// Piecewise-linear breakpoint tables, looked up by bisection and held at their end values.
#pragma once

#include <array>
#include <cstddef>

struct Breakpoint {
  double x;
  double y;
};

// y at x, interpolated linearly; below the first point (and NaN) the first y, beyond the last the last y.
template <std::size_t N> double Interpolate(const std::array<Breakpoint, N>& table, double x) noexcept {
  static_assert(N >= 2);
  if (!(x > table[0].x))
    return table[0].y;
  if (x >= table[N - 1].x)
    return table[N - 1].y;
  std::size_t lo = 0, hi = N - 1; // table[lo].x < x <= table[hi].x
  while (hi - lo > 1) {
    const std::size_t mid = (lo + hi) / 2;
    if (table[mid].x < x)
      lo = mid;
    else
      hi = mid;
  }
  const Breakpoint& a = table[lo];
  const Breakpoint& b = table[hi];
  return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
}

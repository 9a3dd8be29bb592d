// FastExp2, FastExp and FastLog2 on four lanes, operation for operation as the scalar forms in
// FastMath.h (the series are the same templates).
#pragma once

#include <bit>
#include <cstdint>

#include "engine/util/FastMath.h"
#include "engine/util/Lanes.h"

VLM_LANES_INLINE Lanes4 FastExp2Lanes(Lanes4 x) noexcept {
  x = HoldWithinLanes(x, Splat(-1000.0), Splat(1000.0));
  const Lanes4 shifted = x * 64.0 + fastmath::kRoundShift;
  const Lanes4 k = shifted - fastmath::kRoundShift;
  // shifted is exactly 1.5 x 2^52 + n, so its bits less those of the shift are the integer n.
  const LaneMask4 n = std::bit_cast<LaneMask4>(shifted) - 0x4338000000000000LL;
  const LaneMask4 j = n & 63;
  const Lanes4 p = fastmath::ExpSeries((x - k * (1.0 / 64.0)) * 0.6931471805599453);
  // (n >> 6) + 1023 as (n - j + 1023 x 64) / 64: never negative for |x| <= 1000, so a logical shift does.
  typedef std::uint64_t Bits4 __attribute__((vector_size(32)));
  const LaneMask4 biased = n - j + 1023 * 64;
  const Bits4 e = std::bit_cast<Bits4>(biased) >> 6;
  const Bits4 scaleBits = e << 52;
  const Lanes4 scale = std::bit_cast<Lanes4>(scaleBits);
  const auto& t = fastmath::kExp2Table;
  const Lanes4 table = {t[static_cast<std::size_t>(j[0])], t[static_cast<std::size_t>(j[1])],
                        t[static_cast<std::size_t>(j[2])], t[static_cast<std::size_t>(j[3])]};
  return table * p * scale;
}

// FastExp on four lanes.
VLM_LANES_INLINE Lanes4 FastExpLanes(Lanes4 x) noexcept {
  return FastExp2Lanes(x * 1.4426950408889634);
}

// FastLog2 on four lanes (positive normal inputs).
VLM_LANES_INLINE Lanes4 FastLog2Lanes(Lanes4 x) noexcept {
  typedef std::uint64_t Bits4 __attribute__((vector_size(32)));
  const Bits4 bits = std::bit_cast<Bits4>(x);
  const Bits4 mantissa = bits & 0x000FFFFFFFFFFFFFull;
  const Bits4 up = std::bit_cast<Bits4>(mantissa > 0x6A09E667F3BCCull) & 1;
  const Bits4 yBits = mantissa | ((1023 - up) << 52);
  const Lanes4 y = std::bit_cast<Lanes4>(yBits);
  // The biased exponent (below 2^12) as a double, exactly: it sits in the mantissa of 2^52.
  const Bits4 exponent = ((bits >> 52) + up) | 0x4330000000000000ull;
  const Lanes4 e = (std::bit_cast<Lanes4>(exponent) - 4503599627370496.0) - 1023.0;
  return fastmath::Log2Reduced(y, e);
}

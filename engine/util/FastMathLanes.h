// FastExp2, FastExp and FastLog2 on four or eight lanes, operation for operation as the scalar forms
// in FastMath.h (the series are the same templates). __builtin_bit_cast, not std::bit_cast: a call
// that is not inlined would pass the lanes by the baseline's convention (see VLM_LANES_LAMBDA).
#pragma once

#include <cstdint>

#include "engine/util/FastMath.h"
#include "engine/util/Lanes.h"

template <LaneVector L> VLM_LANES_INLINE L FastExp2Lanes(L x) noexcept {
  using Mask = MaskOf<L>;
  using Bits = BitsOf<L>;
  x = HoldWithinLanes<L>(x, Splat<L>(-1000.0), Splat<L>(1000.0));
  const L shifted = x * 64.0 + fastmath::kRoundShift;
  const L k = shifted - fastmath::kRoundShift;
  // shifted is exactly 1.5 x 2^52 + n, so its bits less those of the shift are the integer n.
  const Mask n = __builtin_bit_cast(Mask, shifted) - 0x4338000000000000LL;
  const Mask j = n & 63;
  const L p = fastmath::ExpSeries((x - k * (1.0 / 64.0)) * 0.6931471805599453);
  // (n >> 6) + 1023 as (n - j + 1023 x 64) / 64: never negative for |x| <= 1000, so a logical shift does.
  const Mask biased = n - j + 1023 * 64;
  const Bits e = __builtin_bit_cast(Bits, biased) >> 6;
  const Bits scaleBits = e << 52;
  const L scale = __builtin_bit_cast(L, scaleBits);
  const auto& t = fastmath::kExp2Table;
  const L table = MakeLanes<L>([&](int lane) { return t[static_cast<std::size_t>(j[lane])]; });
  return table * p * scale;
}

// FastExp on lanes.
template <LaneVector L> VLM_LANES_INLINE L FastExpLanes(L x) noexcept {
  return FastExp2Lanes<L>(x * 1.4426950408889634);
}

// FastLog2 on lanes (positive normal inputs).
template <LaneVector L> VLM_LANES_INLINE L FastLog2Lanes(L x) noexcept {
  using Bits = BitsOf<L>;
  const Bits bits = __builtin_bit_cast(Bits, x);
  const Bits mantissa = bits & 0x000FFFFFFFFFFFFFull;
  // Compared as signed (the mantissa is below 2^52): a wide unsigned compare is not always vectorised.
  const Bits up = __builtin_bit_cast(Bits, __builtin_bit_cast(MaskOf<L>, mantissa) > 0x6A09E667F3BCCLL) & 1;
  const Bits yBits = mantissa | ((1023 - up) << 52);
  const L y = __builtin_bit_cast(L, yBits);
  // The biased exponent (below 2^12) as a double, exactly: it sits in the mantissa of 2^52.
  const Bits exponent = ((bits >> 52) + up) | 0x4330000000000000ull;
  const L e = (__builtin_bit_cast(L, exponent) - 4503599627370496.0) - 1023.0;
  return fastmath::Log2Reduced(y, e);
}

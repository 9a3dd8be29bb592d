// FastExp2, FastExp and FastLog2 on four or eight lanes, operation for operation as the scalar forms
// in FastMath.h (the series are the same templates). LaneCast (Lanes.h), not std::bit_cast: a call
// that is not inlined would pass the lanes by the baseline's convention (see VLM_LANES_LAMBDA).
#pragma once

#include <cstdint>

#include "engine/util/FastMath.h"
#include "engine/util/Lanes.h"

namespace fastmath {

// kExp2Table[j] for j in 0..63 on each lane. Eight lanes pick from the table sixteen entries at a time
// with two-register permutes (a vpermt2pd each where compiled for AVX-512, in place of eight per-lane
// loads) and choose among the four picks by the index's upper bits: the same table values. Four lanes
// load per lane: AVX2 has no such permute. (The eight-lane baseline form, used where the processor
// lacks AVX-512 and so only in tests, gets the permutes lane by lane.)
template <LaneVector L> VLM_LANES_INLINE L Exp2TableLanes(MaskOf<L> j) noexcept {
#if !defined(__clang__) // clang has no two-source permute by run-time indices; it loads per lane
  if constexpr (kLanesOf<L> == 8 && !kIsLanePair<L>) {
    const auto part = [](int q) VLM_LANES_LAMBDA {
      L v;
      __builtin_memcpy(&v, kExp2Table.data() + 8 * q, sizeof v);
      return v;
    };
    const L from0 = __builtin_shuffle(part(0), part(1), j);
    const L from16 = __builtin_shuffle(part(2), part(3), j);
    const L from32 = __builtin_shuffle(part(4), part(5), j);
    const L from48 = __builtin_shuffle(part(6), part(7), j);
    const MaskOf<L> upper16 = (j & 16) != 0;
    const MaskOf<L> upper32 = (j & 32) != 0;
    return Select<L>(upper32, Select<L>(upper16, from48, from32), Select<L>(upper16, from16, from0));
  } else
#endif
  {
    return MakeLanes<L>([&](int lane) { return kExp2Table[static_cast<std::size_t>(j[lane])]; });
  }
}

} // namespace fastmath

template <LaneVector L> VLM_LANES_INLINE L FastExp2Lanes(L x) noexcept {
  using Mask = MaskOf<L>;
  using Bits = BitsOf<L>;
  x = HoldWithinLanes<L>(x, Splat<L>(-1000.0), Splat<L>(1000.0));
  const L shifted = x * 64.0 + fastmath::kRoundShift;
  const L k = shifted - fastmath::kRoundShift;
  // shifted is exactly 1.5 x 2^52 + n, so its bits less those of the shift are the integer n.
  const Mask n = LaneCast<Mask>(shifted) - 0x4338000000000000LL;
  const Mask j = n & 63;
  const L p = fastmath::ExpSeries((x - k * (1.0 / 64.0)) * 0.6931471805599453);
  // (n >> 6) + 1023 as (n - j + 1023 x 64) / 64: never negative for |x| <= 1000, so a logical shift does.
  const Mask biased = n - j + 1023 * 64;
  const Bits e = LaneCast<Bits>(biased) >> 6;
  const Bits scaleBits = e << 52;
  const L scale = LaneCast<L>(scaleBits);
  return fastmath::Exp2TableLanes<L>(j) * p * scale;
}

// FastExp on lanes.
template <LaneVector L> VLM_LANES_INLINE L FastExpLanes(L x) noexcept {
  return FastExp2Lanes<L>(x * 1.4426950408889634);
}

// FastLog2 on lanes (positive normal inputs).
template <LaneVector L> VLM_LANES_INLINE L FastLog2Lanes(L x) noexcept {
  using Bits = BitsOf<L>;
  const Bits bits = LaneCast<Bits>(x);
  const Bits mantissa = bits & 0x000FFFFFFFFFFFFFull;
  // Compared as signed (the mantissa is below 2^52): a wide unsigned compare is not always vectorised.
  const Bits up = LaneCast<Bits>(LaneCast<MaskOf<L>>(mantissa) > 0x6A09E667F3BCCLL) & 1;
  const Bits yBits = mantissa | ((1023 - up) << 52);
  const L y = LaneCast<L>(yBits);
  // The biased exponent (below 2^12) as a double, exactly: it sits in the mantissa of 2^52.
  const Bits exponent = ((bits >> 52) + up) | 0x4330000000000000ull;
  const L e = (LaneCast<L>(exponent) - 4503599627370496.0) - 1023.0;
  return fastmath::Log2Reduced(y, e);
}

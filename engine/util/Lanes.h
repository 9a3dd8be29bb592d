// Two, four or eight doubles handled as one value, for rendering voices side by side. Every operation is
// the plain IEEE one per lane (no fused multiply-add), so a lane gives bit for bit what the scalar
// code gives for the same inputs in the same order.
//
// The helpers are always inlined: the renderers that use them are compiled several times (AVX-512,
// AVX2 and the x86-64 baseline), and an out-of-line helper would be compiled for the baseline only.
#pragma once

#include <concepts>
#include <cstdint>
#include <utility>

#include "engine/util/LanePair.h"

#define VLM_LANES_INLINE inline __attribute__((always_inline))
// For a lambda that takes or returns lanes: a lambda does not take its caller's target, and out of line
// it would pass the lanes by the baseline's convention while a wide caller expects them in registers.
#define VLM_LANES_LAMBDA __attribute__((always_inline))
#define VLM_TARGET_SSE42 __attribute__((target("sse4.2")))
#define VLM_TARGET_AVX2 __attribute__((target("avx2")))
// For eight lanes the attribute alone is not enough: a comparison written in a template compiled for the
// baseline comes out lane by lane even inlined here (see VoiceLanesAvx512.cpp).
#define VLM_TARGET_AVX512 __attribute__((target("avx512f,avx512dq,avx512vl")))

// Aligned to their size in every build: the baseline compiler would align them to 16 only, and the
// wide renderers read and write them with aligned full-register moves.
// Two lanes are one SSE2 register, the x86-64 baseline's own width.
typedef double Lanes2 __attribute__((vector_size(16), aligned(16)));
typedef double Lanes4 __attribute__((vector_size(32), aligned(32)));
typedef double Lanes8 __attribute__((vector_size(64), aligned(64)));
// A comparison gives all ones (true) or zero per lane, in lanes of the compiler's choosing: long for GCC,
// long long for clang (both 64 bits), so that a comparison's type is the mask type in either.
#if defined(__clang__)
typedef long long LaneMaskLane;
#else
typedef std::int64_t LaneMaskLane;
#endif
typedef LaneMaskLane LaneMask2 __attribute__((vector_size(16), aligned(16)));
typedef LaneMaskLane LaneMask4 __attribute__((vector_size(32), aligned(32)));
typedef LaneMaskLane LaneMask8 __attribute__((vector_size(64), aligned(64)));
// The bits of the lanes, for shifts that must not carry the sign.
typedef std::uint64_t LaneBits2 __attribute__((vector_size(16), aligned(16)));
typedef std::uint64_t LaneBits4 __attribute__((vector_size(32), aligned(32)));
typedef std::uint64_t LaneBits8 __attribute__((vector_size(64), aligned(64)));
static_assert(alignof(Lanes4) == 32 && alignof(LaneMask4) == 32);
static_assert(alignof(Lanes8) == 64 && alignof(LaneMask8) == 64);

inline constexpr int kLaneCount = 4; // the quad's width

// The lane vector types and their masks. As template arguments they lose their aligned attribute
// (GCC ignores it there), so class members of a lane type L carry alignas(sizeof(L)) (VLM_LANE_ALIGN).
template <class L> struct LaneTraits;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
template <> struct LaneTraits<Lanes2> {
  using Mask = LaneMask2;
  using Bits = LaneBits2;
  static constexpr int kCount = 2;
};
template <> struct LaneTraits<Lanes4> {
  using Mask = LaneMask4;
  using Bits = LaneBits4;
  static constexpr int kCount = 4;
};
template <> struct LaneTraits<Lanes8> {
  using Mask = LaneMask8;
  using Bits = LaneBits8;
  static constexpr int kCount = 8;
};
// Eight lanes in two AVX2 registers and four in two SSE registers (LanePair.h).
typedef LanePair<Lanes4> Lanes4x2;
typedef LanePair<Lanes2> Lanes2x2;
template <class H> struct LaneTraits<LanePair<H>> {
  using Mask = typename LanePair<H>::Mask;
  using Bits = LanePair<typename LaneTraits<H>::Bits>;
  static constexpr int kCount = 2 * LaneTraits<H>::kCount;
};
#pragma GCC diagnostic pop

template <class L>
concept LaneVector = requires {
  LaneTraits<L>::kCount;
};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
template <class M>
concept LaneMaskVector =
    std::same_as<M, LaneMask2> || std::same_as<M, LaneMask4> || std::same_as<M, LaneMask8> ||
    std::same_as<M, LanePair<LaneMask2>> || std::same_as<M, LanePair<LaneMask4>>;
#pragma GCC diagnostic pop

template <LaneVector L> using MaskOf = typename LaneTraits<L>::Mask;
template <LaneVector L> using BitsOf = typename LaneTraits<L>::Bits;
template <LaneVector L> inline constexpr int kLanesOf = LaneTraits<L>::kCount;

#define VLM_LANE_ALIGN(L) alignas(sizeof(L))

// The bits of x as another lane type of the same size (a pair half by half, so that its halves stay
// in registers). __builtin_bit_cast, not std::bit_cast: always inlined.
template <class To, class From> VLM_LANES_INLINE To LaneCast(From x) noexcept {
  if constexpr (kIsLanePair<To>)
    return To(__builtin_bit_cast(typename To::Half, x.lo), __builtin_bit_cast(typename To::Half, x.hi));
  else
    return __builtin_bit_cast(To, x);
}

// kLanesOf<L> doubles from p (any alignment).
template <LaneVector L> VLM_LANES_INLINE L LoadLanes(const double* p) noexcept {
  if constexpr (kIsLanePair<L>) {
    typename L::Half lo, hi;
    __builtin_memcpy(&lo, p, sizeof lo);
    __builtin_memcpy(&hi, p + kLanesOf<L> / 2, sizeof hi);
    return L(lo, hi);
  } else {
    L v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
  }
}

// The lanes to kLanesOf<L> doubles at p (any alignment).
template <LaneVector L> VLM_LANES_INLINE void StoreLanes(double* p, const L& v) noexcept {
  if constexpr (kIsLanePair<L>) {
    __builtin_memcpy(p, &v.lo, sizeof v.lo);
    __builtin_memcpy(p + kLanesOf<L> / 2, &v.hi, sizeof v.hi);
  } else {
    __builtin_memcpy(p, &v, sizeof v);
  }
}

// A lane vector of f(0), f(1), ... f(count - 1): gathers one scalar per lane.
template <class V, int kCount, class F> VLM_LANES_INLINE V MakeLanesOf(F&& f) noexcept {
  if constexpr (kIsLanePair<V>) {
    using H = typename V::Half;
    constexpr int kHalf = kCount / 2;
    return V{MakeLanesOf<H, kHalf>(f),
             MakeLanesOf<H, kHalf>([&](int lane) VLM_LANES_LAMBDA { return f(lane + kHalf); })};
  } else
    return [&]<std::size_t... I>(std::index_sequence<I...>) VLM_LANES_LAMBDA {
      return V{f(static_cast<int>(I))...};
    }
  (std::make_index_sequence<static_cast<std::size_t>(kCount)>{});
}
template <LaneVector L, class F> VLM_LANES_INLINE L MakeLanes(F&& f) noexcept {
  return MakeLanesOf<L, kLanesOf<L>>(f);
}

// x on every lane, as one broadcast: x - 0 is x for every x (-0 included) and folds away. Built lane by
// lane instead (MakeLanes), the vector comes out as eight masked moves in the AVX-512 form, where the
// lambda is compiled for the baseline.
template <LaneVector L> VLM_LANES_INLINE L Splat(double x) noexcept {
  return x - L{};
}

template <LaneMaskVector M> VLM_LANES_INLINE M SplatMask(std::int64_t x) noexcept {
  return x + M{};
}

template <LaneVector L> VLM_LANES_INLINE L Select(MaskOf<L> m, L a, L b) noexcept {
  if constexpr (kIsLanePair<L>)
    return L::Choose(m, a, b);
  else
    return m ? a : b;
}

// The lanes OR-ed (or AND-ed) down to one, by halving the register: a loop over the lanes would go
// through memory, where a full-width store read back in eight-byte pieces stalls.
template <class Op> VLM_LANES_INLINE std::int64_t FoldLanes(LaneMask8 m, Op op) noexcept {
  return FoldLanes(op(__builtin_shufflevector(m, m, 0, 1, 2, 3), __builtin_shufflevector(m, m, 4, 5, 6, 7)),
                   op);
}
template <class Op> VLM_LANES_INLINE std::int64_t FoldLanes(LaneMask4 m, Op op) noexcept {
  typedef std::int64_t Pair __attribute__((vector_size(16)));
  const Pair p = op(__builtin_shufflevector(m, m, 0, 1), __builtin_shufflevector(m, m, 2, 3));
  return op(p[0], p[1]);
}
template <class Op> VLM_LANES_INLINE std::int64_t FoldLanes(LaneMask2 m, Op op) noexcept {
  return op(m[0], m[1]);
}

// Eight lanes are narrowed to one byte each (0 or all ones) in one integer: a narrowing move (vpmovqb)
// and a move to a general register where compiled for AVX-512, in place of three halvings of the
// register.
template <LaneMaskVector M> VLM_LANES_INLINE bool AnyLane(M m) noexcept {
  if constexpr (kIsLanePair<M>) {
    return M::Any(m);
  } else if constexpr (sizeof(M) == sizeof(LaneMask8)) {
    typedef std::int8_t Bytes8 __attribute__((vector_size(8)));
    return __builtin_bit_cast(std::uint64_t, __builtin_convertvector(m != 0, Bytes8)) != 0;
  } else {
    return FoldLanes(m, [](auto a, auto b) VLM_LANES_LAMBDA { return a | b; }) != 0;
  }
}

template <LaneMaskVector M> VLM_LANES_INLINE bool AllLanes(M m) noexcept {
  if constexpr (kIsLanePair<M>)
    return M::All(m);
  else
    return FoldLanes(m, [](auto a, auto b) VLM_LANES_LAMBDA { return a & b; }) != 0;
}

// The lanes where a and b hold the same bits (a cache's key is unchanged there; == would take 0 for -0).
template <LaneVector L> VLM_LANES_INLINE MaskOf<L> SameBits(L a, L b) noexcept {
  return LaneCast<BitsOf<L>>(a) == LaneCast<BitsOf<L>>(b);
}

// a < b ? a : b and a > b ? a : b, as std::min(a, b) and std::max(a, b) read them. In a pair's halves
// these are the processor's own minimum and maximum, one instruction each for a comparison and a
// blend: MINPD x, y gives x < y ? x : y and MAXPD x, y gives x > y ? x : y (y for NaN or equal values).
// (Eight lanes in two AVX2 registers are compiled for AVX2 only; SSE2 is every x86-64's.)
template <LaneVector L> VLM_LANES_INLINE L MinLanes(L a, L b) noexcept {
#if !defined(__clang__) // clang takes an intrinsic only in a function of its target; it finds these itself
  if constexpr (kIsLanePair<L> && kLanesOf<L> == 8)
    return L(_mm256_min_pd(b.lo, a.lo), _mm256_min_pd(b.hi, a.hi));
  else if constexpr (kIsLanePair<L> && kLanesOf<L> == 4)
    return L(_mm_min_pd(b.lo, a.lo), _mm_min_pd(b.hi, a.hi));
  else
#endif
    return Select<L>(b < a, b, a);
}
template <LaneVector L> VLM_LANES_INLINE L MaxLanes(L a, L b) noexcept {
#if !defined(__clang__)
  if constexpr (kIsLanePair<L> && kLanesOf<L> == 8)
    return L(_mm256_max_pd(b.lo, a.lo), _mm256_max_pd(b.hi, a.hi));
  else if constexpr (kIsLanePair<L> && kLanesOf<L> == 4)
    return L(_mm_max_pd(b.lo, a.lo), _mm_max_pd(b.hi, a.hi));
  else
#endif
    return Select<L>(a < b, b, a);
}

// x > lo ? (x < hi ? x : hi) : lo, lane by lane (NaN becomes lo), as HoldWithin.
template <LaneVector L> VLM_LANES_INLINE L HoldWithinLanes(L x, L lo, L hi) noexcept {
  if constexpr (kIsLanePair<L>)
    return Select<L>(x > lo, MinLanes<L>(hi, x), lo); // x < hi ? x : hi
  else
    return Select<L>(x > lo, Select<L>(x < hi, x, hi), lo);
}

template <LaneVector L> VLM_LANES_INLINE L AbsLanes(L x) noexcept {
  return Select<L>(x < Splat<L>(0.0), -x, x);
}

// Twice a register's lanes as two native registers: eight doubles in two AVX2 registers, four in two
// SSE registers. Every operation is the plain IEEE one on each half, so a lane gives bit for bit what
// the scalar code gives.
//
// GCC lowers a vector wider than the target's registers lane by lane where it compares or selects, and
// moves it through memory where a hand-split value joins again; two named halves stay in registers.
// The operations are instantiated under their target where a form is compiled (VoiceLanesInstances.h):
// a caller that is left out fails to compile (target mismatch) rather than running lane by lane.
#pragma once

#include <cstdint>
#include <immintrin.h>
#include <type_traits>

#define VLM_PAIR_INLINE inline __attribute__((always_inline))

template <class H> struct LanePair {
  using Half = H;
  using Elem = __typeof__(H{}[0]);
  using MaskHalf = decltype(H{} < H{});
  using Mask = LanePair<MaskHalf>;
  static constexpr int kHalf = static_cast<int>(sizeof(H) / sizeof(Elem));
  static constexpr bool kBits = std::is_integral_v<Elem>; // a mask or the lanes' bits

  alignas(sizeof(H)) H lo;
  alignas(sizeof(H)) H hi;

  // Copied half by half: a copy of the whole would go through memory in 16-byte pieces, and reading
  // a half back whole from those stalls.
  LanePair() = default;
  VLM_PAIR_INLINE LanePair(H l, H h) noexcept : lo(l), hi(h) {}
  VLM_PAIR_INLINE LanePair(const LanePair& o) noexcept : lo(o.lo), hi(o.hi) {}
  VLM_PAIR_INLINE LanePair& operator=(const LanePair& o) noexcept {
    lo = o.lo;
    hi = o.hi;
    return *this;
  }

  // Reads and writes of one lane, for the rare per-lane paths (loads, stores, slow wraps).
  VLM_PAIR_INLINE Elem operator[](int i) const noexcept { return i < kHalf ? lo[i] : hi[i - kHalf]; }
  VLM_PAIR_INLINE Elem& operator[](int i) noexcept { return reinterpret_cast<Elem*>(this)[i]; }

  VLM_PAIR_INLINE LanePair operator+(LanePair o) const noexcept { return {lo + o.lo, hi + o.hi}; }
  VLM_PAIR_INLINE LanePair operator-(LanePair o) const noexcept { return {lo - o.lo, hi - o.hi}; }
  VLM_PAIR_INLINE LanePair operator*(LanePair o) const noexcept { return {lo * o.lo, hi * o.hi}; }
  VLM_PAIR_INLINE LanePair operator/(LanePair o) const noexcept { return {lo / o.lo, hi / o.hi}; }
  VLM_PAIR_INLINE LanePair operator&(LanePair o) const noexcept requires kBits {
    return {lo & o.lo, hi & o.hi};
  }
  VLM_PAIR_INLINE LanePair operator|(LanePair o) const noexcept requires kBits {
    return {lo | o.lo, hi | o.hi};
  }
  VLM_PAIR_INLINE LanePair operator+(Elem s) const noexcept { return {lo + s, hi + s}; }
  VLM_PAIR_INLINE LanePair operator-(Elem s) const noexcept { return {lo - s, hi - s}; }
  VLM_PAIR_INLINE LanePair operator*(Elem s) const noexcept { return {lo * s, hi * s}; }
  VLM_PAIR_INLINE LanePair operator/(Elem s) const noexcept { return {lo / s, hi / s}; }
  VLM_PAIR_INLINE LanePair operator&(Elem s) const noexcept requires kBits { return {lo & s, hi & s}; }
  VLM_PAIR_INLINE LanePair operator|(Elem s) const noexcept requires kBits { return {lo | s, hi | s}; }
  VLM_PAIR_INLINE LanePair operator>>(int s) const noexcept requires kBits { return {lo >> s, hi >> s}; }
  VLM_PAIR_INLINE LanePair operator<<(int s) const noexcept requires kBits { return {lo << s, hi << s}; }
  VLM_PAIR_INLINE LanePair operator-() const noexcept { return {-lo, -hi}; }
  VLM_PAIR_INLINE LanePair operator~() const noexcept requires kBits { return {~lo, ~hi}; }
  VLM_PAIR_INLINE LanePair& operator+=(LanePair o) noexcept { return *this = *this + o; }
  VLM_PAIR_INLINE LanePair& operator|=(LanePair o) noexcept requires kBits { return *this = *this | o; }

  VLM_PAIR_INLINE Mask operator<(LanePair o) const noexcept { return {lo < o.lo, hi < o.hi}; }
  VLM_PAIR_INLINE Mask operator>(LanePair o) const noexcept { return {lo > o.lo, hi > o.hi}; }
  VLM_PAIR_INLINE Mask operator<=(LanePair o) const noexcept { return {lo <= o.lo, hi <= o.hi}; }
  VLM_PAIR_INLINE Mask operator>=(LanePair o) const noexcept { return {lo >= o.lo, hi >= o.hi}; }
  VLM_PAIR_INLINE Mask operator==(LanePair o) const noexcept { return {lo == o.lo, hi == o.hi}; }
  VLM_PAIR_INLINE Mask operator!=(LanePair o) const noexcept { return {lo != o.lo, hi != o.hi}; }
  VLM_PAIR_INLINE Mask operator<(Elem s) const noexcept { return {lo < s, hi < s}; }
  VLM_PAIR_INLINE Mask operator>(Elem s) const noexcept { return {lo > s, hi > s}; }
  VLM_PAIR_INLINE Mask operator<=(Elem s) const noexcept { return {lo <= s, hi <= s}; }
  VLM_PAIR_INLINE Mask operator>=(Elem s) const noexcept { return {lo >= s, hi >= s}; }
  VLM_PAIR_INLINE Mask operator==(Elem s) const noexcept { return {lo == s, hi == s}; }
  VLM_PAIR_INLINE Mask operator!=(Elem s) const noexcept { return {lo != s, hi != s}; }

  // A scalar on the left, as s - x reads: the same IEEE operation per lane.
  static VLM_PAIR_INLINE LanePair AddTo(Elem s, LanePair x) noexcept { return {s + x.lo, s + x.hi}; }
  static VLM_PAIR_INLINE LanePair SubtractFrom(Elem s, LanePair x) noexcept { return {s - x.lo, s - x.hi}; }
  static VLM_PAIR_INLINE LanePair MultiplyInto(Elem s, LanePair x) noexcept { return {s * x.lo, s * x.hi}; }
  static VLM_PAIR_INLINE LanePair DivideInto(Elem s, LanePair x) noexcept { return {s / x.lo, s / x.hi}; }
  static VLM_PAIR_INLINE Mask Below(Elem s, LanePair x) noexcept { return {s < x.lo, s < x.hi}; }

  // m ? a : b on each half.
  static VLM_PAIR_INLINE LanePair Choose(Mask m, LanePair a, LanePair b) noexcept {
    return {m.lo ? a.lo : b.lo, m.hi ? a.hi : b.hi};
  }
  // Whether any lane of a mask is set; whether every lane is (masks of all ones or zero per lane).
  static VLM_PAIR_INLINE bool Any(LanePair m) noexcept requires kBits {
    const H o = m.lo | m.hi;
#if defined(__clang__) // clang inlines before it selects instructions: the fold becomes the test there
    Elem any = 0;
    for (int i = 0; i < kHalf; ++i)
      any |= o[i];
    return any != 0;
#else
    if constexpr (sizeof(H) == 32)
      return !_mm256_testz_si256(reinterpret_cast<__m256i>(o), reinterpret_cast<__m256i>(o));
    else
      return !_mm_testz_si128(reinterpret_cast<__m128i>(o), reinterpret_cast<__m128i>(o));
#endif
  }
  static VLM_PAIR_INLINE bool All(LanePair m) noexcept requires kBits {
    const H a = m.lo & m.hi;
#if defined(__clang__)
    Elem all = -1;
    for (int i = 0; i < kHalf; ++i)
      all &= a[i];
    return all != 0;
#else
    if constexpr (sizeof(H) == 32)
      return _mm256_movemask_pd(reinterpret_cast<__m256d>(a)) == 0xF;
    else
      return _mm_movemask_pd(reinterpret_cast<__m128d>(a)) == 0x3;
#endif
  }
};

template <class T> inline constexpr bool kIsLanePair = false;
template <class H> inline constexpr bool kIsLanePair<LanePair<H>> = true;

template <class H>
VLM_PAIR_INLINE LanePair<H> operator+(typename LanePair<H>::Elem s, LanePair<H> x) noexcept {
  return LanePair<H>::AddTo(s, x);
}
template <class H>
VLM_PAIR_INLINE LanePair<H> operator-(typename LanePair<H>::Elem s, LanePair<H> x) noexcept {
  return LanePair<H>::SubtractFrom(s, x);
}
template <class H>
VLM_PAIR_INLINE LanePair<H> operator*(typename LanePair<H>::Elem s, LanePair<H> x) noexcept {
  return LanePair<H>::MultiplyInto(s, x);
}
template <class H>
VLM_PAIR_INLINE LanePair<H> operator/(typename LanePair<H>::Elem s, LanePair<H> x) noexcept {
  return LanePair<H>::DivideInto(s, x);
}
template <class H>
VLM_PAIR_INLINE typename LanePair<H>::Mask operator<(typename LanePair<H>::Elem s, LanePair<H> x) noexcept {
  return LanePair<H>::Below(s, x);
}

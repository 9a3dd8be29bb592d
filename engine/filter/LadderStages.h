// The ladder's inner loop: n iterations of four saturating stages with resonance feedback,
// for one ladder or for ladders side by side on lanes, all giving bit-identical results.
#pragma once

#include "engine/filter/FastTanh.h"

// n iterations of the four stages on s[0..3], for one ladder (double) or several side by side (lanes).
template <class T>
inline __attribute__((always_inline)) void LadderSteps(T* s, T x, T k, T h, int n) noexcept {
  if constexpr (kIsLanePair<T>) {
    // Half after half: both halves' chains at once would not fit the registers, and the two stay
    // independent for the processor to overlap.
    using H = typename T::Half;
    H lo[4] = {s[0].lo, s[1].lo, s[2].lo, s[3].lo};
    H hi[4] = {s[0].hi, s[1].hi, s[2].hi, s[3].hi};
    LadderSteps<H>(lo, x.lo, k.lo, h.lo, n);
    LadderSteps<H>(hi, x.hi, k.hi, h.hi, n);
    for (int i = 0; i < 4; ++i)
      s[i] = T(lo[i], hi[i]);
    return;
  }
  T s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
  for (int i = 0; i < n; ++i) {
    const T tu = FastTanh(x - k * s3);
    const T t0 = FastTanh(s0);
    const T t1 = FastTanh(s1);
    const T t2 = FastTanh(s2);
    const T t3 = FastTanh(s3);
    s0 = s0 + h * (tu - t0);
    s1 = s1 + h * (t0 - t1);
    s2 = s2 + h * (t1 - t2);
    s3 = s3 + h * (t2 - t3);
  }
  s[0] = s0;
  s[1] = s1;
  s[2] = s2;
  s[3] = s3;
}

// What follows the stages: a trace of the input leaks past the ladder through two high-passes, as
// in the circuit, and the output is smoothed by a blend that grows with the resonance.
template <class T> struct LadderOutput {
  T bleedPrevIn{}, bleed1{}, bleed1Prev{}, bleed2{}, smooth1{}, smooth2{};

  // x is the ladder's input, y its last stage after the iterations.
  inline __attribute__((always_inline)) T Process(T x, T y, T k, T gain, T blend, T smoothCoefficient,
                                                  T bleedCoefficient) noexcept {
    bleed1 = (x + bleed1 - bleedPrevIn) * bleedCoefficient;
    bleedPrevIn = x;
    bleed2 = (bleed1 + bleed2 - bleed1Prev) * bleedCoefficient;
    bleed1Prev = bleed1;
    const T v = (1.0 + k) * y * gain;
    smooth1 += (v - smooth1) * smoothCoefficient;
    smooth2 += (smooth1 - smooth2) * smoothCoefficient;
    return v + (smooth2 - v) * blend + 0.029 * bleed2;
  }
};

// stage[0..3] are updated in place; returns stage[3] after the last iteration.
double LadderIterateScalar(double* stage, double x, double k, double h, int n) noexcept;
// Needs AVX2 (see HasAvx2); stage must be 32-byte aligned.
double LadderIterateAvx2(double* stage, double x, double k, double h, int n) noexcept;
// FastTanh of four values at once in the AVX2 form (needs AVX2); for checking bit identity.
void FastTanhAvx2x4(const double* in, double* out) noexcept;

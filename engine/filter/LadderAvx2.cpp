// Four-wide AVX2 form of the ladder's stage iterations. Compiled per function for AVX2 only
// (never FMA), with the same operations in the same order as the scalar form, so both agree bit
// for bit.
#include <bit>

#include "engine/filter/FastTanh.h"
#include "engine/filter/LadderStages.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

#if defined(__clang__)
// clang refuses AVX vectors as arguments of a function not compiled for AVX, even an always-inlined one,
// so the lanes reach the baseline template through memory (the copies fold away once inlined).
VLM_LANES_INLINE void FastTanhLanes4(const double* in, double* out) noexcept {
  Lanes4 x;
  __builtin_memcpy(&x, in, sizeof x);
  const Lanes4 y = FastTanh(x);
  __builtin_memcpy(out, &y, sizeof y);
}

VLM_TARGET_AVX2 inline __m256d FastTanh4(__m256d x) noexcept {
  alignas(32) double in[4];
  alignas(32) double out[4];
  _mm256_store_pd(in, x);
  FastTanhLanes4(in, out);
  return _mm256_load_pd(out);
}
#else
// FastTanh of four values in one register: the lanes form, compiled here for AVX2.
VLM_TARGET_AVX2 inline __m256d FastTanh4(__m256d x) noexcept {
  return std::bit_cast<__m256d>(FastTanh(std::bit_cast<Lanes4>(x)));
}
#endif

} // namespace

VLM_TARGET_AVX2 void FastTanhAvx2x4(const double* in, double* out) noexcept {
  _mm256_storeu_pd(out, FastTanh4(_mm256_loadu_pd(in)));
}

VLM_TARGET_AVX2 double LadderIterateAvx2(double* stage, double x, double k, double h, int n) noexcept {
  __m256d s = _mm256_load_pd(stage);
  const __m256d hv = _mm256_set1_pd(h);
  for (int i = 0; i < n; ++i) {
    const double s3 =
        _mm_cvtsd_f64(_mm_unpackhi_pd(_mm256_extractf128_pd(s, 1), _mm256_extractf128_pd(s, 1)));
    const double tu = FastTanh(x - k * s3);
    // tanh of every stage state, and the stage inputs: [tanh u, tanh s0, tanh s1, tanh s2].
    const __m256d ts = FastTanh4(s);
    const __m256d tin =
        _mm256_blend_pd(_mm256_permute4x64_pd(ts, _MM_SHUFFLE(2, 1, 0, 0)), _mm256_set1_pd(tu), 0x1);
    s = _mm256_add_pd(s, _mm256_mul_pd(hv, _mm256_sub_pd(tin, ts)));
  }
  _mm256_store_pd(stage, s);
  return stage[3];
}

#else

void FastTanhAvx2x4(const double* in, double* out) noexcept {
  for (int i = 0; i < 4; ++i)
    out[i] = FastTanh(in[i]);
}

double LadderIterateAvx2(double* stage, double x, double k, double h, int n) noexcept {
  return LadderIterateScalar(stage, x, k, h, n);
}

#endif

// Four-wide AVX2 form of the ladder's stage iterations. Compiled per function for AVX2 only
// (never FMA), with the same operations in the same order as the scalar form, so both agree bit
// for bit.
#include "engine/filter/FastTanh.h"
#include "engine/filter/LadderStages.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#define VLM_AVX2 __attribute__((target("avx2")))

namespace {

VLM_AVX2 inline __m256d Splat(double v) noexcept {
  return _mm256_set1_pd(v);
}

VLM_AVX2 inline __m256d FastTanh4(__m256d x) noexcept {
  const __m256d a = _mm256_mul_pd(x, x);
  const __m256d b = _mm256_mul_pd(a, a);
  const __m256d b2 = _mm256_mul_pd(b, b);
  // (p0 + p1 a) + (p2 + p3 a) b + ((p4 + p5 a) + p6 b) b^2, as in FastTanh.
  __m256d p = _mm256_add_pd(Splat(0.9999999173136686), _mm256_mul_pd(Splat(-0.15887602595266753), a));
  p = _mm256_add_pd(
      p, _mm256_mul_pd(
             _mm256_add_pd(Splat(0.031431905001797635), _mm256_mul_pd(Splat(0.007935085524027437), a)), b));
  p = _mm256_add_pd(p,
                    _mm256_mul_pd(_mm256_add_pd(_mm256_add_pd(Splat(0.00022387569687472905),
                                                              _mm256_mul_pd(Splat(1.3093187746573975e-6), a)),
                                                _mm256_mul_pd(Splat(8.110041249675959e-10), b)),
                                  b2));
  __m256d q = _mm256_add_pd(Splat(1.0), _mm256_mul_pd(Splat(0.17445681841092459), a));
  q = _mm256_add_pd(
      q, _mm256_mul_pd(
             _mm256_add_pd(Splat(-0.043748293050045635), _mm256_mul_pd(Splat(0.024058910143815344), a)), b));
  q = _mm256_add_pd(
      q, _mm256_mul_pd(_mm256_add_pd(_mm256_add_pd(Splat(0.001622692815109229),
                                                   _mm256_mul_pd(Splat(0.000021088905383828075), a)),
                                     _mm256_mul_pd(Splat(4.846420359472248e-8), b)),
                       b2));
  __m256d y = _mm256_div_pd(_mm256_mul_pd(x, p), q);
  const __m256d above = _mm256_cmp_pd(x, Splat(kFastTanhLimit), _CMP_GT_OQ);
  const __m256d below = _mm256_cmp_pd(x, Splat(-kFastTanhLimit), _CMP_LT_OQ);
  y = _mm256_blendv_pd(y, Splat(1.0), above);
  return _mm256_blendv_pd(y, Splat(-1.0), below);
}

} // namespace

VLM_AVX2 void FastTanhAvx2x4(const double* in, double* out) noexcept {
  _mm256_storeu_pd(out, FastTanh4(_mm256_loadu_pd(in)));
}

VLM_AVX2 double LadderIterateAvx2(double* stage, double x, double k, double h, int n) noexcept {
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

// Flush-to-zero and denormals-are-zero for the lifetime of a scope; the caller's state comes back after.
#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define VLM_FLOAT_CONTROL_MXCSR 1
#endif

// Decaying filters and reverb tails would otherwise fall into slow denormal arithmetic.
class FloatControlScope {
public:
#ifdef VLM_FLOAT_CONTROL_MXCSR
  // FTZ is bit 15 and DAZ bit 6 of MXCSR.
  FloatControlScope() noexcept : mSaved(_mm_getcsr()) {
    _mm_setcsr(mSaved | 0x8040u);
  }
  ~FloatControlScope() {
    _mm_setcsr(mSaved);
  }
#else
  FloatControlScope() noexcept = default;
#endif
  FloatControlScope(const FloatControlScope&) = delete;
  FloatControlScope& operator=(const FloatControlScope&) = delete;

private:
#ifdef VLM_FLOAT_CONTROL_MXCSR
  unsigned int mSaved;
#endif
};

// CPUID and XGETBV query for AVX2, done once.
#include "engine/filter/CpuFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

bool QueryAvx2() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid_max(0, nullptr) < 7)
    return false;
  __cpuid(1, eax, ebx, ecx, edx);
  constexpr unsigned kOsXsave = 1u << 27, kAvx = 1u << 28;
  if ((ecx & (kOsXsave | kAvx)) != (kOsXsave | kAvx))
    return false;
  // The operating system must save the SSE (bit 1) and AVX (bit 2) register state.
  unsigned xcr0Low = 0, xcr0High = 0;
  __asm__ volatile("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
  if ((xcr0Low & 0x6u) != 0x6u)
    return false;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  return (ebx & (1u << 5)) != 0;
#else
  return false;
#endif
}

bool HasAvx2() noexcept {
  static const bool kHasAvx2 = QueryAvx2();
  return kHasAvx2;
}

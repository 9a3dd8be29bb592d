// CPUID and XGETBV queries for SSE4.2, AVX2 and AVX-512, done once.
#include "engine/filter/CpuFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

#if defined(__x86_64__) || defined(__i386__)
// Leaf 7's EBX when leaf 1 reports AVX and OSXSAVE and the operating system saves every register
// state in xcr0Mask; 0 otherwise.
unsigned Leaf7Ebx(unsigned xcr0Mask) noexcept {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid_max(0, nullptr) < 7)
    return 0;
  __cpuid(1, eax, ebx, ecx, edx);
  constexpr unsigned kOsXsave = 1u << 27, kAvx = 1u << 28;
  if ((ecx & (kOsXsave | kAvx)) != (kOsXsave | kAvx))
    return 0;
  unsigned xcr0Low = 0, xcr0High = 0;
  __asm__ volatile("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
  if ((xcr0Low & xcr0Mask) != xcr0Mask)
    return 0;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  return ebx;
}
#endif

} // namespace

bool QuerySse42() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0)
    return false;
  constexpr unsigned kSse41 = 1u << 19, kSse42 = 1u << 20;
  return (ecx & (kSse41 | kSse42)) == (kSse41 | kSse42);
#else
  return false;
#endif
}

bool QueryAvx2() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  // SSE (bit 1) and AVX (bit 2) register state; AVX2 is leaf 7 EBX bit 5.
  return (Leaf7Ebx(0x6u) & (1u << 5)) != 0;
#else
  return false;
#endif
}

bool QueryAvx512() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  // SSE, AVX, opmask (bit 5), upper halves of ZMM0-15 (bit 6) and ZMM16-31 (bit 7).
  constexpr unsigned kF = 1u << 16, kDq = 1u << 17, kVl = 1u << 31;
  return (Leaf7Ebx(0xE6u) & (kF | kDq | kVl)) == (kF | kDq | kVl);
#else
  return false;
#endif
}

bool HasSse42() noexcept {
  static const bool kHasSse42 = QuerySse42();
  return kHasSse42;
}

bool HasAvx2() noexcept {
  static const bool kHasAvx2 = QueryAvx2();
  return kHasAvx2;
}

bool HasAvx512() noexcept {
  static const bool kHasAvx512 = QueryAvx512();
  return kHasAvx512;
}

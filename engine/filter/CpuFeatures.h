// Processor feature queries that pick the wide forms of the voice groups and the ladder filter.
#pragma once

// True when the processor has SSE4.1 and SSE4.2 (CPUID leaf 1; their registers are SSE's, which every
// x86-64 system saves). Computed once.
bool HasSse42() noexcept;

// True when the processor and the operating system both support AVX2 (CPUID leaves 1 and 7,
// OSXSAVE, and XGETBV showing the SSE and AVX register state enabled). Computed once.
bool HasAvx2() noexcept;

// True when the processor has AVX-512 F, DQ and VL (CPUID leaf 7) and the operating system saves the
// opmask and all 512-bit register state besides SSE and AVX (OSXSAVE, XGETBV bits 1, 2, 5, 6, 7).
// Computed once.
bool HasAvx512() noexcept;

// The queries themselves, uncached (exposed for tests).
bool QuerySse42() noexcept;
bool QueryAvx2() noexcept;
bool QueryAvx512() noexcept;

// Processor feature queries that pick the wide forms of the voice groups and the ladder filter.
#pragma once

// True when the processor and the operating system both support AVX2 (CPUID leaves 1 and 7,
// OSXSAVE, and XGETBV showing the SSE and AVX register state enabled). Computed once.
bool HasAvx2() noexcept;

// True when the processor has AVX-512 F, DQ and VL (CPUID leaf 7) and the operating system saves the
// opmask and all 512-bit register state besides SSE and AVX (OSXSAVE, XGETBV bits 1, 2, 5, 6, 7).
// Computed once.
bool HasAvx512() noexcept;

// The queries themselves, uncached (exposed for tests).
bool QueryAvx2() noexcept;
bool QueryAvx512() noexcept;

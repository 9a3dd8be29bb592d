// Processor feature query that picks the four-wide form of the ladder filter.
#pragma once

// True when the processor and the operating system both support AVX2 (CPUID leaves 1 and 7,
// OSXSAVE, and XGETBV showing the SSE and AVX register state enabled). Computed once.
bool HasAvx2() noexcept;

// The query itself, uncached (exposed for tests).
bool QueryAvx2() noexcept;

// The ladder's inner loop: n iterations of four saturating stages with resonance feedback,
// in a scalar form and a four-wide AVX2 form that gives bit-identical results.
#pragma once

// stage[0..3] are updated in place; returns stage[3] after the last iteration.
double LadderIterateScalar(double* stage, double x, double k, double h, int n) noexcept;
// Needs AVX2 (see HasAvx2); stage must be 32-byte aligned.
double LadderIterateAvx2(double* stage, double x, double k, double h, int n) noexcept;
// FastTanh of four values at once in the AVX2 form (needs AVX2); for checking bit identity.
void FastTanhAvx2x4(const double* in, double* out) noexcept;

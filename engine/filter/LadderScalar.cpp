// Scalar form of the ladder's stage iterations.
#include "engine/filter/FastTanh.h"
#include "engine/filter/LadderStages.h"

double LadderIterateScalar(double* stage, double x, double k, double h, int n) noexcept {
  double s0 = stage[0], s1 = stage[1], s2 = stage[2], s3 = stage[3];
  for (int i = 0; i < n; ++i) {
    const double u = x - k * s3;
    const double tu = FastTanh(u);
    const double t0 = FastTanh(s0);
    const double t1 = FastTanh(s1);
    const double t2 = FastTanh(s2);
    const double t3 = FastTanh(s3);
    s0 = s0 + h * (tu - t0);
    s1 = s1 + h * (t0 - t1);
    s2 = s2 + h * (t1 - t2);
    s3 = s3 + h * (t2 - t3);
  }
  stage[0] = s0;
  stage[1] = s1;
  stage[2] = s2;
  stage[3] = s3;
  return s3;
}

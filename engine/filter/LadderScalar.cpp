// Scalar form of the ladder's stage iterations.
#include "engine/filter/LadderStages.h"

double LadderIterateScalar(double* stage, double x, double k, double h, int n) noexcept {
  LadderSteps(stage, x, k, h, n);
  return stage[3];
}

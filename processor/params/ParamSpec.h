// The process-wide parameter spec table: range, default, enumeration size and engine curve of every index,
// and the mapping from a normalized value to the value the engine setters take.
#pragma once

#include <cstdint>

#include "processor/params/ParamCurves.h"

namespace vlm {

struct ParamSpec {
  double min;
  double max;
  double defaultValue; // real, not normalized
  double exponent;     // of the power mapping of plain continuous rows
  std::uint8_t isEnum;
  std::int32_t enumCount;
  std::uint8_t isExponential;
  CurveFn curve; // null: no curve
};

// Fills the table; later calls return at once. Runs under the instance factory's lock; afterwards the
// table is only read, from any thread.
void InitParamSpecs();

// The row of an index; a row of zeros for an index outside 0..377.
const ParamSpec& GetParamSpec(int index);

// Normalized x (held within 0..1) to engine value: enumerations round to an item, curve rows go through
// their curve, the rest map linearly (or by power or exponential law as the row says). 0 outside 0..377.
double ToEngineValue(int index, double x);

} // namespace vlm

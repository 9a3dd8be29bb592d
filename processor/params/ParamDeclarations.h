// Declares all 378 host parameters (names, groups, types, ranges, defaults, steps, labels, flags, texts,
// shapes) into the framework's parameter objects, in the order the processor's construction fixes.
#pragma once

#include <functional>
#include <span>

#include "Keel/Core/IParam.h"
#include "common/EParams.h"

namespace vlm {

// Gives the parameter object at an index 0..377 (never null for those).
using ParamAccessor = std::function<keel::IParam*(int index)>;

// Fills the ParamSpec table if needed, then declares every parameter exactly once: 0, 1, 2, 168, 169, 3, 4, 5,
// 6-16, 170-188, 115, 116, the five effect slots, 162, 163-167, the Upper and Lower tone blocks, and last
// the controller assignments, whose names repeat the names declared before them.
void DeclareParams(const ParamAccessor& getParam);
// The same over a plain array of kNumParams parameters.
void DeclareParams(std::span<keel::IParam> params);

// InitDouble with the range and default of the index's spec row.
void InitParamFromSpec(keel::IParam& param, int index, const char* name, double step, const char* label,
                       int flags, const char* group, const keel::IParam::Shape& shape,
                       int unit = keel::IParam::kUnitCustom);

} // namespace vlm

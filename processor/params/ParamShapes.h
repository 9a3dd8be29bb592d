// The instrument's 24 non-linear parameter shapes: forward through the engine curves, reverse by fixed rules.
#pragma once

#include <memory>

#include "Keel/Core/IParam.h"
#include "processor/params/ParamCurves.h"

namespace vlm {

// Which shape a parameter is declared with; Linear is the framework's keel::IParam::ShapeLinear.
enum class ParamShapeKind : int {
  Linear = 0,
  Balance,
  GlideTime,
  Lfo2Rate,
  Vco2Fine,
  HpfCutoff,
  VcfCutoff,
  VcfEnvAmount,
  VcfLfoAmount,
  VcaLevel,
  VcaLfoAmount,
  Env1Attack,
  Env1Decay,
  EnvSustain,
  Env1Release,
  Env2Attack,
  Env2Decay,
  Env2Release,
  Lfo1Rate,
  Lfo1Delay,
  VcoModLfo,
  VcoModEnv,
  PulseWidth,
  PwmAmount,
  DynamicsTime,
  Count
};
constexpr int kNumCurveShapes = static_cast<int>(ParamShapeKind::Count) - 1;
static_assert(kNumCurveShapes == 24);

// A fresh shape object of the kind (a ShapeLinear for Linear).
std::unique_ptr<keel::IParam::Shape> MakeParamShape(ParamShapeKind kind);

// The engine curve behind a shape kind; null for Linear.
CurveFn CurveForShape(ParamShapeKind kind);

} // namespace vlm

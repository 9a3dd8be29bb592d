// The parameter spec table, filled once from the parameter rows, and the normalized-to-engine mapping.
#include "processor/params/ParamSpec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "processor/params/ParamTable.h"

namespace vlm {
namespace {

std::array<ParamSpec, kNumParams> gSpecs{};
constexpr ParamSpec kNoSpec{};

ParamSpec SpecFromDecl(const ParamDecl& decl) {
  ParamSpec spec{};
  spec.min = decl.minValue;
  spec.max = decl.maxValue;
  spec.defaultValue = decl.defaultValue;
  spec.exponent = 1.0;
  spec.isEnum = decl.kind == ParamKind::Enum ? 1 : 0;
  spec.enumCount = decl.kind == ParamKind::Enum ? decl.EnumCount() : 0;
  spec.isExponential = 0;
  spec.curve = CurveForShape(decl.shape);
  return spec;
}

// The Upper (6) and Lower (170) patch blocks share their rows.
void InitPatchParamSpecs(int first) {
  for (const ParamDecl& decl : PatchBlockDecls())
    gSpecs[first + decl.index] = SpecFromDecl(decl);
}

// The Upper (17) and Lower (66) tone blocks share their rows.
void InitToneParamSpecs(int first) {
  for (const ParamDecl& decl : ToneBlockDecls())
    gSpecs[first + decl.index] = SpecFromDecl(decl);
}

void FillSpecs() {
  for (const ParamDecl& decl : SingleParamDecls())
    gSpecs[decl.index] = SpecFromDecl(decl);
  InitPatchParamSpecs(kOctaveShift);
  InitPatchParamSpecs(kLowerOctaveShift);
  InitToneParamSpecs(kUpperToneFirst);
  InitToneParamSpecs(kLowerToneFirst);
  for (int slot = 0; slot < kNumFxSlots; ++slot) {
    gSpecs[FxSlotParam(slot, kFxSlotType)] = SpecFromDecl(FxTypeDecl());
    for (int p = kFxSlotP0; p < kNumFxSlotParams; ++p)
      gSpecs[FxSlotParam(slot, p)] = SpecFromDecl(FxGenericDecl());
    gSpecs[FxBypassParam(slot)] = SpecFromDecl(FxBypassDecl());
  }
  for (int i = 0; i < kNumSoundParams; ++i)
    gSpecs[CcMapParam(i)] = SpecFromDecl(CcMapDecl());
}

} // namespace

void InitParamSpecs() {
  static std::once_flag filled;
  std::call_once(filled, FillSpecs);
}

const ParamSpec& GetParamSpec(int index) {
  return (index >= 0 && index < kNumParams) ? gSpecs[static_cast<size_t>(index)] : kNoSpec;
}

double ToEngineValue(int index, double x) {
  if (index < 0 || index >= kNumParams)
    return 0.0;
  const ParamSpec& spec = gSpecs[static_cast<size_t>(index)];
  x = std::clamp(x, 0.0, 1.0);
  if (spec.isEnum)
    return std::round((spec.enumCount - 1) * x);
  if (spec.curve)
    return spec.curve(x, spec.min, spec.max);
  if (spec.isExponential)
    return spec.min * std::pow(spec.max / spec.min, x);
  return spec.min + (spec.max - spec.min) * std::pow(x, spec.exponent);
}

} // namespace vlm

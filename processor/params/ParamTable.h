// What every parameter is: name, group, kind, range, default, step, label, unit, flags, shape and item texts.
// The ParamSpec table (ranges, defaults, curves) and the host declarations are both filled from these rows.
#pragma once

#include <span>
#include <string>

#include "common/EParams.h"
#include "processor/params/ParamShapes.h"

namespace vlm {

enum class ParamKind : int {
  Double, // continuous, declared from its spec row
  Gain,   // continuous in decibels
  Enum,   // one value per item text; range 0..count-1, step 1
};

struct ParamDecl {
  int index;         // absolute index, or the offset inside its block for the block tables
  const char* name;  // inside a block: the text that follows the part prefix (tone block) or "Lower "
  const char* group; // inside the tone block: the text that follows the part prefix
  ParamKind kind;
  double minValue;
  double maxValue;
  double defaultValue;
  double step;
  const char* label;
  int unit;
  int flags;
  ParamShapeKind shape;
  std::span<const char* const> texts; // enumeration items, in value order

  int EnumCount() const { return static_cast<int>(texts.size()); }
};

// Master, patch, settings, chain lock, volume, stereo and sync rows (absolute indices, declaration order
// is decided by the declaring code).
std::span<const ParamDecl> SingleParamDecls();
// The 11 rows of a patch block, by offset; the Lower block prefixes "Lower " to each name.
std::span<const ParamDecl> PatchBlockDecls();
// The 49 rows of a tone block, by offset; names and groups take the part prefix.
std::span<const ParamDecl> ToneBlockDecls();
// Slot rows: position 0 is the type, 1..8 the generic P0..P7. Names are formats taking the slot number
// (and, for P, the position minus 1).
const ParamDecl& FxTypeDecl();
const ParamDecl& FxGenericDecl();
// "FX %d Bypass" for slots 1..5.
const ParamDecl& FxBypassDecl();
// Controller assignment of a sound parameter; its name is "CC Map: " and the parameter's name.
const ParamDecl& CcMapDecl();

// Prefix, one space, text.
std::string MakePrefixedParamName(const char* prefix, const char* text);

} // namespace vlm

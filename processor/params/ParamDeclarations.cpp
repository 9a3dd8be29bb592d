// Parameter declarations: every row of the parameter table becomes one InitEnum, InitGain or InitDouble.
#include "processor/params/ParamDeclarations.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "processor/params/ParamSpec.h"
#include "processor/params/ParamTable.h"

namespace vlm {
namespace {

// A host name field holds kTextSize bytes; a longer composed name is cut there.
std::string CutName(std::string name) {
  if (name.size() > keel::IParam::kTextSize)
    name.resize(keel::IParam::kTextSize);
  return name;
}

void DeclareFromRow(keel::IParam& param, int index, const ParamDecl& row, const char* name,
                    const char* group) {
  const ParamSpec& spec = GetParamSpec(index);
  switch (row.kind) {
  case ParamKind::Enum:
    // Texts are added one by one so that every enumeration, the sync divisions included, takes one path.
    param.InitEnum(name, static_cast<int>(spec.defaultValue), spec.enumCount, row.label, row.flags, group,
                   nullptr);
    for (int i = 0; i < row.EnumCount(); ++i)
      param.SetDisplayText(i, row.texts[static_cast<size_t>(i)]);
    break;
  case ParamKind::Gain:
    param.InitGain(name, spec.defaultValue, spec.min, spec.max, row.step, row.flags, group);
    break;
  case ParamKind::Double:
    InitParamFromSpec(param, index, name, row.step, row.label, row.flags, group, *MakeParamShape(row.shape),
                      row.unit);
    break;
  }
}

const ParamDecl& SingleRow(int index) {
  for (const ParamDecl& row : SingleParamDecls())
    if (row.index == index)
      return row;
  std::abort(); // every single index has a row; a missing one is a table fault
}

void DeclareSingle(const ParamAccessor& getParam, int index) {
  const ParamDecl& row = SingleRow(index);
  DeclareFromRow(*getParam(index), index, row, row.name, row.group);
}

// The Upper patch block keeps its plain names; the Lower block's names start with "Lower ".
void DeclarePatchParams(const ParamAccessor& getParam, int first, const char* prefix) {
  for (const ParamDecl& row : PatchBlockDecls()) {
    const std::string name = prefix ? MakePrefixedParamName(prefix, row.name) : std::string(row.name);
    DeclareFromRow(*getParam(first + row.index), first + row.index, row, name.c_str(), row.group);
  }
}

void DeclareToneParams(const ParamAccessor& getParam, int first, const char* prefix) {
  for (const ParamDecl& row : ToneBlockDecls()) {
    const std::string name = MakePrefixedParamName(prefix, row.name);
    const std::string group = MakePrefixedParamName(prefix, row.group);
    DeclareFromRow(*getParam(first + row.index), first + row.index, row, name.c_str(), group.c_str());
  }
}

void DeclareFxSlot(const ParamAccessor& getParam, int slot) {
  char name[64];
  const int typeIndex = FxSlotParam(slot, kFxSlotType);
  std::snprintf(name, sizeof name, FxTypeDecl().name, slot + 1);
  DeclareFromRow(*getParam(typeIndex), typeIndex, FxTypeDecl(), name, FxTypeDecl().group);
  for (int p = kFxSlotP0; p < kNumFxSlotParams; ++p) {
    const int index = FxSlotParam(slot, p);
    std::snprintf(name, sizeof name, FxGenericDecl().name, slot + 1, p - kFxSlotP0);
    DeclareFromRow(*getParam(index), index, FxGenericDecl(), name, FxGenericDecl().group);
  }
}

void DeclareFxBypass(const ParamAccessor& getParam, int slot) {
  char name[64];
  std::snprintf(name, sizeof name, FxBypassDecl().name, slot + 1);
  DeclareFromRow(*getParam(FxBypassParam(slot)), FxBypassParam(slot), FxBypassDecl(), name,
                 FxBypassDecl().group);
}

void DeclareCcMap(const ParamAccessor& getParam, int soundParam) {
  const char* target = getParam(soundParam)->GetName();
  const std::string name =
      CutName("CC Map: " + std::string(target, strnlen(target, keel::IParam::kTextSize)));
  DeclareFromRow(*getParam(CcMapParam(soundParam)), CcMapParam(soundParam), CcMapDecl(), name.c_str(),
                 CcMapDecl().group);
}

} // namespace

void InitParamFromSpec(keel::IParam& param, int index, const char* name, double step, const char* label,
                       int flags, const char* group, const keel::IParam::Shape& shape, int unit) {
  const ParamSpec& spec = GetParamSpec(index);
  param.InitDouble(name, spec.defaultValue, spec.min, spec.max, step, label, flags, group, shape, unit);
}

void DeclareParams(const ParamAccessor& getParam) {
  InitParamSpecs();
  for (int index : {kMaster, kTune, kDynamicsSens, kPatchVolume, kStereo, kKeyMode, kSplitPoint, kBalance})
    DeclareSingle(getParam, index);
  DeclarePatchParams(getParam, kOctaveShift, nullptr);
  DeclarePatchParams(getParam, kLowerOctaveShift, "Lower");
  for (int index = kUpperLfoSync; index <= kLowerLfo2SyncDiv; ++index)
    DeclareSingle(getParam, index);
  DeclareSingle(getParam, kOversampling);
  DeclareSingle(getParam, kPolyphony);
  for (int slot = 0; slot < kNumFxSlots; ++slot)
    DeclareFxSlot(getParam, slot);
  DeclareSingle(getParam, kFxChainLock);
  for (int slot = 0; slot < kNumFxSlots; ++slot)
    DeclareFxBypass(getParam, slot);
  DeclareToneParams(getParam, kUpperToneFirst, "Upper");
  DeclareToneParams(getParam, kLowerToneFirst, "Lower");
  for (int i = 0; i < kNumSoundParams; ++i)
    DeclareCcMap(getParam, i);
}

void DeclareParams(std::span<keel::IParam> params) {
  if (params.size() < static_cast<size_t>(kNumParams))
    std::abort(); // the caller's array is a fixed layout
  DeclareParams([params](int index) { return &params[static_cast<size_t>(index)]; });
}

} // namespace vlm

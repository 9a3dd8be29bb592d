// The MKS-80 parameter tables and the decoding of one received value.
#include "library/Mks80ParamMap.h"

#include "common/EParams.h"

namespace vlm {

using R = MksValueRule;

const std::array<MksMapRow, 48> SysExToneMap = {{
    {50, R::Percent},           // 0 lfo1.rate
    {52, R::Percent},           // 1 lfo1.delay
    {51, R::LfoWave},           // 2 lfo1.wave
    {53, R::Percent},           // 3 vcoMod.lfoAmount
    {54, R::Percent},           // 4 vcoMod.env1Amount
    {55, R::Percent},           // 5 pwm.pulseWidth
    {56, R::Percent},           // 6 pwm.amount
    {57, R::ThreeStepInverted}, // 7 pwm.source
    {58, R::SwitchInverted},    // 8 pwm.polarity
    {18, R::Percent},           // 9 keyFollow.vco
    {19, R::ThreeStepInverted}, // 10 keyFollow.vcoTarget
    {59, R::Percent},           // 11 xmod.manual
    {60, R::Percent},           // 12 xmod.env1Amount
    {61, R::SwitchInverted},    // 13 xmod.polarity
    {20, R::ThreeStepInverted}, // 14 vco1.modMode
    {21, R::Vco1Range},         // 15 vco1.range
    {22, R::FourStepInverted},  // 16 vco1.wave
    {62, R::SyncMode},          // 17 sync.mode
    {23, R::ThreeStepInverted}, // 18 vco2.modMode
    {24, R::Vco2Range},         // 19 vco2.range
    {26, R::Percent},           // 20 vco2.fineTune
    {25, R::FourStepInverted},  // 21 vco2.wave
    {27, R::Percent},           // 22 vco.mix
    {28, R::Percent},           // 23 hpf.cutoff
    {29, R::Percent},           // 24 vcf.cutoff
    {30, R::Percent},           // 25 vcf.resonance
    {31, R::SwitchInverted},    // 26 vcf.envSelect
    {32, R::SwitchInverted},    // 27 vcf.envPolarity
    {33, R::Percent},           // 28 vcf.envAmount
    {34, R::Percent},           // 29 vcf.lfoAmount
    {35, R::Percent},           // 30 vcf.keyFollow
    {36, R::Percent},           // 31 vca.level
    {37, R::Percent},           // 32 vca.lfoAmount
    {63, R::Percent},           // 33 dynamics.time
    {64, R::Percent},           // 34 dynamics.level
    {65, R::SwitchInverted},    // 35 eg.reset
    {43, R::SwitchInverted},    // 36 env1.dynamics
    {38, R::Percent},           // 37 env1.attack
    {39, R::Percent},           // 38 env1.decay
    {40, R::Percent},           // 39 env1.sustain
    {41, R::Percent},           // 40 env1.release
    {42, R::Percent},           // 41 env1.keyFollow
    {49, R::SwitchInverted},    // 42 env2.dynamics
    {44, R::Percent},           // 43 env2.attack
    {45, R::Percent},           // 44 env2.decay
    {46, R::Percent},           // 45 env2.sustain
    {47, R::Percent},           // 46 env2.release
    {48, R::Percent},           // 47 env2.keyFollow
}};

const std::array<MksMapRow, 15> SysExPatchMap = {{
    {3, R::FourStepInverted},   // 0 patch.keyMode
    {4, R::SplitPoint},         // 1 patch.splitPoint
    {5, R::Percent},            // 2 patch.balance
    {-1, R::None},              // 3 unused: built as 00, skipped when parsed
    {6, R::FiveStep},           // 4 patch.octaveShift
    {7, R::FiveStep},           // 5 patch.assignMode
    {8, R::Percent},            // 6 patch.unisonDetune
    {9, R::ThreeStepInverted},  // 7 patch.holdMode
    {10, R::Percent},           // 8 patch.portamentoTime
    {11, R::Percent},           // 9 patch.bendRange
    {12, R::ThreeStepInverted}, // 10 patch.vco1BendMode
    {13, R::ThreeStepInverted}, // 11 patch.vco2BendMode
    {14, R::Percent},           // 12 patch.aftertouchSensitivity
    {16, R::SwitchInverted},    // 13 patch.lfo2Mode
    {15, R::Percent},           // 14 patch.lfo2Rate
}};

const std::array<MksMapRow, 5> SysExExtraMap = {{
    {kTune, R::Percent},
    {kDynamicsSens, R::Percent},
    {kMaster, R::Percent},
    {kPatchVolume, R::Percent},
    {kStereo, R::Percent},
}};

bool MapSysExValue(MksParamChanges& result, std::uint8_t level, std::uint8_t group, std::uint8_t number,
                   std::uint8_t byte, bool extensionAllowed) {
  if (group != kMksGroupUpper && group != kMksGroupLower)
    return false;
  const bool lower = group == kMksGroupLower;
  int index = -1;
  double value = 0.0;
  if (level == kMksLevelTone) {
    if (number >= SysExToneMap.size())
      return true;
    const MksMapRow& row = SysExToneMap[number];
    if (row.index < 0 || row.rule == R::None)
      return true;
    index = row.index + (lower ? kNumToneParams : 0);
    value = DecodeMksValue(row.rule, byte);
  } else if (level == kMksLevelPatch) {
    if (number >= SysExPatchMap.size())
      return true;
    const MksMapRow& row = SysExPatchMap[number];
    if (row.index < 0 || row.rule == R::None)
      return true;
    index = row.index;
    if (lower && index >= kOctaveShift && index <= kAtMode)
      index += kLowerOctaveShift - kOctaveShift;
    value = DecodeMksValue(row.rule, byte);
  } else if (level == kMksLevelExtra && extensionAllowed) {
    if (number >= SysExExtraMap.size())
      return true;
    index = SysExExtraMap[number].index;
    value = DecodeMksValue(SysExExtraMap[number].rule, byte);
  } else {
    return false;
  }
  if (result.count < kMaxMksParamChanges) {
    result.entries[static_cast<std::size_t>(result.count)] = {index, value};
    ++result.count;
  }
  return true;
}

} // namespace vlm

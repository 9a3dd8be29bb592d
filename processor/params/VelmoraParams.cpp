// Parameters to the sound engine: the change hooks, their application at a block start, and the reset.
#include <array>
#include <cmath>

#include "common/Logger.h"
#include "processor/Velmora.h"
#include "processor/params/ParamCurves.h"
#include "processor/params/ParamSpec.h"
#include "processor/params/ToneParamTables.h"

using namespace vlm;

namespace {

// 10^(dB / 20) as exp, like every decibel parameter of the instrument.
double DbToGain(double db) {
  return std::exp(db * 0.1151292546497);
}

// Halves away from zero.
int RoundToInt(double v) {
  return static_cast<int>(std::round(v));
}

// A patch-block or tone-block setter gets the normalized value x, the engine value V and V rounded (W).
using PartSetter = void (*)(TonePart& part, double x, double v, int w);

// Bend modes and key-follow targets: 0 and 2 as they are, anything else the middle setting.
int ZeroOneOrTwo(int w) {
  return w == 0 || w == 2 ? w : 1;
}
int ModMode(int w) {
  return w == 1 || w == 2 ? w : 0;
}

// Slots 6..16, then 185 and 186.
constexpr std::array<PartSetter, kNumPatchBlockParams + 2> kPatchSetters = {
    [](TonePart& p, double, double, int w) { p.SetOctaveShift(w - 2); },
    [](TonePart& p, double, double, int w) {
      p.mAssignMode = static_cast<std::uint8_t>(w == 0 || w == 1 || w == 2 || w == 4 ? w : TonePart::kPoly1);
    },
    [](TonePart& p, double, double v, int) { p.SetUnisonDetune(v); },
    [](TonePart& p, double, double, int w) { p.SetHoldMode(w); },
    [](TonePart& p, double, double v, int) { p.SetPortamentoTime(v); },
    [](TonePart& p, double, double v, int) { p.SetBendRange(v); },
    [](TonePart& p, double, double, int w) { p.SetVco1BendMode(ZeroOneOrTwo(w)); },
    [](TonePart& p, double, double, int w) { p.SetVco2BendMode(ZeroOneOrTwo(w)); },
    [](TonePart& p, double, double v, int) { p.SetAftertouchSensitivity(v); },
    [](TonePart& p, double, double v, int) { p.SetLfo2Rate(v); },
    [](TonePart& p, double, double, int w) { p.SetLfo2Mode(w); },
    [](TonePart& p, double, double, int w) { p.SetLfo2Sync(w != 0); },
    [](TonePart& p, double, double, int w) { p.SetLfo2SyncDivision(w); },
};

// Envelope setters over every voice of a part: ENV-1 and its filter copy, ENV-2 and its filter copy.
template <typename F> void ForEnv1(TonePart& part, F&& f) {
  for (int i = 0; i < TonePart::kVoiceCount; ++i) {
    f(part.GetVoice(i).Env1());
    f(part.GetVoice(i).Env1Copy());
  }
}
template <typename F> void ForEnv2(TonePart& part, F&& f) {
  for (int i = 0; i < TonePart::kVoiceCount; ++i) {
    f(part.GetVoice(i).Env2());
    f(part.GetVoice(i).Env2Copy());
  }
}
template <typename F> void ForAllEnvelopes(TonePart& part, F&& f) {
  ForEnv1(part, f);
  ForEnv2(part, f);
}

// The envelope times reach the engine through the ENV2 curves and fixed factors, not through the curves the
// ENV1 parameters display: that is how the hardware's two envelopes differ in speed.
constexpr std::array<PartSetter, kNumToneParams + 2> kToneSetters = {
    [](TonePart&, double, double, int) {}, // "Reserved"
    [](TonePart& p, double, double v, int) { p.SetVcoKeyFollow(v); },
    [](TonePart& p, double, double, int w) { p.SetVcoKeyFollowTarget(ZeroOneOrTwo(w)); },
    [](TonePart& p, double, double, int w) { p.SetVco1ModMode(ModMode(w)); },
    [](TonePart& p, double, double, int w) { p.SetVco1Range(w - 2); },
    [](TonePart& p, double, double, int w) { p.SetVco1Waveform(w >= 0 && w <= 3 ? w : 1); },
    [](TonePart& p, double, double, int w) { p.SetVco2ModMode(ModMode(w)); },
    [](TonePart& p, double, double, int w) { p.SetVco2Range(w); },
    [](TonePart& p, double, double, int w) {
      p.SetVco2Waveform(w >= 0 && w <= 2 ? w : w == 3 ? 4 : 1);
    },
    [](TonePart& p, double, double v, int) { p.SetVco2FineTune(v); },
    [](TonePart& p, double, double v, int) { p.SetVcoMix(v); },
    [](TonePart& p, double, double v, int) { p.SetHpfCutoff(v); },
    [](TonePart& p, double, double v, int) { p.SetVcfCutoff(v); },
    [](TonePart& p, double, double v, int) { p.SetVcfResonance(v); },
    [](TonePart& p, double, double, int w) { p.SetVcfEnvSelect(w); },
    [](TonePart& p, double, double, int w) { p.SetVcfEnvPolarity(w != 0); },
    [](TonePart& p, double x, double, int) { p.SetVcfEnvAmount(VcfEnvAmountPercent(x)); },
    [](TonePart& p, double, double v, int) { p.SetVcfLfoAmount(v); },
    [](TonePart& p, double, double v, int) { p.SetVcfKeyFollow(v); },
    [](TonePart& p, double, double v, int) { p.SetVcaLevel(v); },
    [](TonePart& p, double, double v, int) { p.SetVcaLfoAmount(v); },
    [](TonePart& p, double x, double, int) { // ENV1 Attack
      const double a = EnvAttackCurve(x, 2.0, 22000.0);
      const double filterAttack = a * 1.4 * Env1FilterAttackFactor(x);
      for (int i = 0; i < TonePart::kVoiceCount; ++i) {
        p.GetVoice(i).Env1().SetAttack(a);
        p.GetVoice(i).Env1Copy().SetAttack(filterAttack);
      }
    },
    [](TonePart& p, double x, double, int) { // ENV1 Decay
      const double d = Env2DecayCurve(x, 0.1, 20000.0);
      ForEnv1(p, [d](Envelope& e) { e.SetDecay(d); });
    },
    [](TonePart& p, double, double v, int) { ForEnv1(p, [v](Envelope& e) { e.SetSustain(v); }); },
    [](TonePart& p, double x, double, int) { // ENV1 Release
      const double r = Env2ReleaseCurve(x, 0.1, 20000.0);
      ForEnv1(p, [r](Envelope& e) { e.SetRelease(r); });
    },
    [](TonePart& p, double, double v, int) { ForEnv1(p, [v](Envelope& e) { e.SetKeyFollow(v); }); },
    [](TonePart& p, double, double, int w) {
      ForEnv1(p, [w](Envelope& e) { e.SetDynamicsEnabled(w == 0); });
    },
    [](TonePart& p, double x, double, int) { // ENV2 Attack
      const double a = 1.244 * EnvAttackCurve(x, 0.1, 40000.0);
      ForEnv2(p, [a](Envelope& e) { e.SetAttack(a); });
    },
    [](TonePart& p, double x, double, int) { // ENV2 Decay
      const double d = 0.64 * Env2DecayCurve(x, 0.1, 40000.0);
      ForEnv2(p, [d](Envelope& e) { e.SetDecay(d); });
    },
    [](TonePart& p, double x, double, int) {
      const double s = Env2SustainLevel(x);
      ForEnv2(p, [s](Envelope& e) { e.SetSustain(s); });
    },
    [](TonePart& p, double x, double, int) { // ENV2 Release
      const double r = 0.87 * Env2ReleaseCurve(x, 0.1, 40000.0);
      ForEnv2(p, [r](Envelope& e) { e.SetRelease(r); });
    },
    [](TonePart& p, double x, double, int) {
      const double k = Env2KeyFollowAmount(x);
      ForEnv2(p, [k](Envelope& e) { e.SetKeyFollow(k); });
    },
    [](TonePart& p, double, double, int w) {
      ForEnv2(p, [w](Envelope& e) { e.SetDynamicsEnabled(w == 0); });
    },
    [](TonePart& p, double x, double v, int) {
      p.SetLfo1Rate(v);
      p.SetLfo1RandomRate(Lfo1RandomRateHz(x));
    },
    [](TonePart& p, double, double, int w) { p.SetLfo1Waveform(w >= 0 && w <= 4 ? w : 0); },
    [](TonePart& p, double, double v, int) { p.SetLfo1Delay(v); },
    [](TonePart& p, double, double v, int) { p.SetVcoModLfoAmount(v); },
    [](TonePart& p, double, double v, int) { p.SetVcoModEnv1Amount(v); },
    [](TonePart& p, double, double v, int) { p.SetPulseWidth(v); },
    [](TonePart& p, double, double v, int) { p.SetPwmAmount(v); },
    [](TonePart& p, double, double, int w) { p.SetPwmSource(w); },
    [](TonePart& p, double, double, int w) { p.SetPwmPolarity(w != 0); },
    [](TonePart& p, double, double v, int) { p.SetXmodManual(v); },
    [](TonePart& p, double, double v, int) { p.SetXmodEnv1Amount(v); },
    [](TonePart& p, double, double, int w) { p.SetXmodPolarity(w != 0); },
    [](TonePart& p, double, double, int w) { p.SetSyncMode(w); },
    // Dynamics Time takes the normalized value itself, not its displayed curve.
    [](TonePart& p, double x, double, int) {
      ForAllEnvelopes(p, [x](Envelope& e) { e.SetDynamicsTime(x); });
    },
    [](TonePart& p, double, double v, int) {
      const double level = DynamicsLevelAmount(v);
      ForAllEnvelopes(p, [level](Envelope& e) { e.SetDynamicsLevel(level); });
    },
    [](TonePart& p, double, double, int w) { ForAllEnvelopes(p, [w](Envelope& e) { e.SetReset(w == 0); }); },
    [](TonePart& p, double, double, int w) { p.SetLfo1Sync(w != 0); },
    [](TonePart& p, double, double, int w) { p.SetLfo1SyncDivision(w); },
};

// One setter per row, none left out.
template <std::size_t N> constexpr bool EveryRowSet(const std::array<PartSetter, N>& table) {
  for (PartSetter setter : table)
    if (setter == nullptr)
      return false;
  return true;
}
static_assert(EveryRowSet(kPatchSetters));
static_assert(EveryRowSet(kToneSetters));

} // namespace

double Velmora::ParamValue(int index) const noexcept {
  return GetParam(index)->Value();
}

int Velmora::OversamplingFromParam() const noexcept {
  switch (static_cast<int>(ParamValue(kOversampling) + 0.5)) {
  case 1:
    return 2;
  case 2:
    return 4;
  default:
    return 1;
  }
}

int Velmora::VoiceLimitFromParam() const noexcept {
  const int choice = static_cast<int>(ParamValue(kPolyphony) + 0.5);
  return choice >= 1 && choice <= 4 ? 8 + 4 * choice : 8;
}

void Velmora::OnParamChange(int paramIdx) {
  // An assignment reaches the controller lookup at once; the audio thread sees the new entry whole.
  if (IsCcMapParam(paramIdx))
    mCcLookup.Set(paramIdx - kCcMapFirst, static_cast<int>(std::round(ParamValue(paramIdx))));
  // The engine belongs to the audio thread: it picks the change up at its next block start.
  mDirtyParams.Mark(paramIdx);
}

void Velmora::OnParamReset(keel::ParamSource) {
  mDirtyParams.MarkAll();
  // The idle work refreshes the whole page at once instead of echoing each parameter.
  mStateRestored.store(true);
}

void Velmora::RequestAllNotesOff(bool upper, bool lower) noexcept {
  mEngineCommands.Post((upper ? EngineCommands::kAllNotesOffUpper : 0u) |
                       (lower ? EngineCommands::kAllNotesOffLower : 0u));
}

void Velmora::RequestActiveEffectsReset() noexcept {
  mEngineCommands.Post(EngineCommands::kResetActiveEffects);
}

void Velmora::ArmOutputMute(double seconds) noexcept {
  const double samples = seconds * GetSampleRate();
  if (samples >= 1.0 && samples < 2147483647.0)
    mMuteRamp.Arm(static_cast<int>(samples));
}

void Velmora::ApplyPendingChanges() noexcept {
  const std::uint32_t commands = mEngineCommands.Take();
  if (commands & EngineCommands::kAllNotesOffUpper)
    Upper.AllNotesOff();
  if (commands & EngineCommands::kAllNotesOffLower)
    Lower.AllNotesOff();
  if (commands & EngineCommands::kResetActiveEffects) {
    mPendingEffectsReset = true;
    // The caller has normally armed a longer mute already; this one only makes sure silence comes.
    ArmOutputMute(0.01);
  }
  mDirtyParams.TakeEach([this](int index) { ApplyParamChange(index); });
}

void Velmora::ApplyParamChange(int index) noexcept {
  if (index < 0 || index >= kNumParams)
    return;
  if (IsCcMapParam(index))
    return; // controller assignments drive the controller maps, never the engine
  if (index == kOversampling) {
    mOversamplingRequested = OversamplingFromParam(); // takes effect in ProcessBlock
  } else if (index == kPolyphony) {
    Upper.SetVoiceLimit(VoiceLimitFromParam());
    Lower.SetVoiceLimit(VoiceLimitFromParam());
  } else if (index >= kFxFirst && index < kFxChainLock) {
    ApplyFxParam(index);
  } else if (index >= kFx1Bypass && index < kFx1Bypass + kNumFxSlots) {
    mFxRack.SetBypass(index - kFx1Bypass, static_cast<int>(ParamValue(index)) != 0);
  } else if (index != kFxChainLock) { // the chain lock only matters to the page and preset loading
    ApplyParamToEngine(index);
  }
}

void Velmora::ApplyParamToEngine(int index) noexcept {
  const double r = ParamValue(index);
  const double x = GetParam(index)->GetNormalized();
  if (index >= kOctaveShift && index < kUpperToneFirst) {
    ApplyPatchParam(Upper, index, index, x);
  } else if (index >= kUpperToneFirst && index < kLowerToneFirst) {
    ApplyToneParam(Upper, index, index, x);
  } else if (index >= kLowerToneFirst && index < kOversampling) {
    ApplyToneParam(Lower, index, index - kNumToneParams, x);
  } else if (index >= kLowerOctaveShift && index < kUpperLfoSync) {
    ApplyPatchParam(Lower, index, index - (kLowerOctaveShift - kOctaveShift), x);
  } else {
    switch (index) {
    case kMaster:
      mMasterGain = DbToGain(r);
      mOutputGainSmoother.SetTarget(mMasterGain * mPatchVolumeGain);
      break;
    case kTune:
      Upper.SetTune(r);
      Lower.SetTune(r);
      break;
    case kDynamicsSens:
      Upper.SetDynamicsSensitivity(r);
      Lower.SetDynamicsSensitivity(r);
      break;
    case kKeyMode:
      mKeyMode = static_cast<int>(r);
      break;
    case kSplitPoint:
      mSplitPoint = static_cast<int>(r);
      break;
    case kBalance:
      mBalance = r;
      mBalanceSmoother.SetTarget(r);
      break;
    case kPatchVolume:
      mPatchVolumeGain = DbToGain(r);
      mOutputGainSmoother.SetTarget(mMasterGain * mPatchVolumeGain);
      break;
    case kStereo:
      mStereoMode = static_cast<int>(r);
      break;
    case kUpperLfoSync:
    case kUpperLfoSyncDiv:
      ApplyToneParam(Upper, index, index, x);
      break;
    case kLowerLfoSync:
    case kLowerLfoSyncDiv:
      ApplyToneParam(Lower, index, index - 2, x);
      break;
    case kLfo2Sync:
    case kLfo2SyncDiv:
      ApplyPatchParam(Upper, index, index, x);
      break;
    case kLowerLfo2Sync:
    case kLowerLfo2SyncDiv:
      ApplyPatchParam(Lower, index, index - 2, x);
      break;
    default:
      break; // 115..167: settings and effects, handled by ApplyParamChange
    }
  }
}

void Velmora::ApplyPatchParam(TonePart& part, int index, int slot, double x) noexcept {
  const int row = slot >= kLfo2Sync ? kNumPatchBlockParams + (slot - kLfo2Sync) : slot - kOctaveShift;
  if (row < 0 || row >= static_cast<int>(kPatchSetters.size()))
    return;
  const double v = ToEngineValue(index, x);
  kPatchSetters[static_cast<std::size_t>(row)](part, x, v, RoundToInt(v));
}

void Velmora::ApplyToneParam(TonePart& part, int index, int slot, double x) noexcept {
  const int row = slot >= kUpperLfoSync ? kNumToneParams + (slot - kUpperLfoSync) : slot - kUpperToneFirst;
  if (row < 0 || row >= static_cast<int>(kToneSetters.size()))
    return;
  const double v = ToEngineValue(index, x);
  kToneSetters[static_cast<std::size_t>(row)](part, x, v, RoundToInt(v));
}

void Velmora::ApplyFxParam(int index) noexcept {
  const int slot = (index - kFxFirst) / kNumFxSlotParams;
  const int position = (index - kFxFirst) % kNumFxSlotParams;
  if (position != kFxSlotType) {
    mFxRack.SetParameter(slot, position - kFxSlotP0, ParamValue(index));
    return;
  }
  // The switch waits for the silence of a 10 ms mute, so the old effect's tail is never cut audibly.
  ArmOutputMute(0.01);
  if (mMuteRamp.Running())
    mPendingEffectSwitches |= 1u << slot;
  else
    SwitchEffect(slot); // no mute possible at this rate: at once, as before
}

void Velmora::SwitchEffect(int slot) noexcept {
  const int raw = static_cast<int>(ParamValue(FxSlotParam(slot, kFxSlotType)));
  mFxRack.SetType(slot, vlm::dsp::IsEffectType(raw) ? raw : 0);
  mFxRack.Slot(slot).ResetActive();
  std::array<double, vlm::dsp::FxRack::kParamsPerSlot> values{};
  for (int p = 0; p < vlm::dsp::FxRack::kParamsPerSlot; ++p)
    values[static_cast<std::size_t>(p)] = ParamValue(FxSlotParam(slot, kFxSlotP0 + p));
  mFxRack.SetSlotParameters(slot, values);
}

void Velmora::CarryOutPendingEffectWork() noexcept {
  if (mPendingEffectsReset)
    mFxRack.ResetActive();
  mPendingEffectsReset = false;
  for (int slot = 0; slot < kNumFxSlots; ++slot)
    if (mPendingEffectSwitches & (1u << slot))
      SwitchEffect(slot);
  mPendingEffectSwitches = 0;
}

void Velmora::OnReset() {
  const double rate = GetSampleRate();
  GetLogger().Log("OnReset: sampleRate=%.1f", rate);
  mPeakLeft.store(0.0f);
  mPeakRight.store(0.0f);
  // Everything is applied below; what was waiting for a block is taken now. Notes end anyway: preparing the
  // parts silences their voices.
  mEngineCommands.Take();
  mDirtyParams.TakeEach([](int) {});
  mPendingEffectSwitches = 0;
  mPendingEffectsReset = false;
  // The effect work a running mute was covering is done here at once, and the stream starts from silence.
  mMuteRamp.Clear();

  mOversampling = mOversamplingRequested = OversamplingFromParam();
  PrepareEngines();
  const int voiceLimit = VoiceLimitFromParam();
  Upper.SetVoiceLimit(voiceLimit);
  Lower.SetVoiceLimit(voiceLimit);

  mDcPreviousInput = {};
  mDcPreviousOutput = {};
  // An 18 Hz corner: 2 pi 18 = 113.097...
  mDcCoefficient = 1.0 - 113.09733552923255 / rate;

  // The rack takes its types from the parameters (a change may have come while no block ran), then every
  // slot gets its eight parameters again, since some effects keep values computed at the old rate.
  for (int slot = 0; slot < kNumFxSlots; ++slot) {
    const int raw = static_cast<int>(ParamValue(FxSlotParam(slot, kFxSlotType)));
    mFxRack.SetType(slot, vlm::dsp::IsEffectType(raw) ? raw : 0);
  }
  mFxRack.Prepare(rate);
  mFxRack.ResetAll();
  for (int slot = 0; slot < kNumFxSlots; ++slot) {
    std::array<double, vlm::dsp::FxRack::kParamsPerSlot> values{};
    for (int p = 0; p < vlm::dsp::FxRack::kParamsPerSlot; ++p)
      values[static_cast<std::size_t>(p)] = ParamValue(FxSlotParam(slot, kFxSlotP0 + p));
    mFxRack.SetSlotParameters(slot, values);
  }
  for (int slot = 0; slot < kNumFxSlots; ++slot)
    mFxRack.SetBypass(slot, static_cast<int>(ParamValue(FxBypassParam(slot))) != 0);

  for (int index = 0; index < kNumSoundParams; ++index)
    ApplyParamToEngine(index);

  const double coefficient = rate > 0.0 ? 1.0 - std::exp(-1.0 / (0.01 * rate)) : 1.0;
  mOutputGainSmoother.SetCoefficient(coefficient);
  mPerformanceVolumeSmoother.SetCoefficient(coefficient);
  mBalanceSmoother.SetCoefficient(coefficient);
  mBalanceSmoother.SnapTo(mBalance);
  mOutputGainSmoother.SnapTo(mMasterGain * mPatchVolumeGain);
  mPerformanceVolumeSmoother.SnapTo(mPerformanceVolumeGain);

  RebuildCcLookup();
  mCcLookup.ResetTakeover();
  GetLogger().Log("OnReset: done (OS=%dx, poly=%d)", mOversampling, voiceLimit);
}

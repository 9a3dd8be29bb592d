// The built-in "Init" patch ("builtin:init"): a patch document held in the program.
#include "library/InitPatchDocument.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vlm {
namespace {

// Written as the document writer writes files (sorted keys, two-space indent, final line feed).
// Both tones are the same Init tone, so its section is written once and joined in twice.
constexpr std::string_view kHead = R"VLMINIT({
  "createdWith": {
    "name": "Velmora",
    "version": "0.0.1"
  },
  "format": "com.velmora.patch",
  "formatVersion": 1,
  "kind": "patch",
  "metadata": {
    "author": "",
    "comment": "Velmora default patch (= Init)",
    "name": "Init",
    "tags": []
  },
  "patch": {
    "params": {
      "patch.aftertouchSensitivity": 0,
      "patch.assignMode": 0.75,
      "patch.balance": 0.5,
      "patch.bendRange": 0.16,
      "patch.dynamicsSens": 1,
      "patch.fx1.p0": 0,
      "patch.fx1.p1": 0,
      "patch.fx1.p2": 0,
      "patch.fx1.p3": 0,
      "patch.fx1.p4": 0,
      "patch.fx1.p5": 0,
      "patch.fx1.p6": 0,
      "patch.fx1.p7": 0,
      "patch.fx1.type": 0,
      "patch.fx2.p0": 0,
      "patch.fx2.p1": 0,
      "patch.fx2.p2": 0,
      "patch.fx2.p3": 0,
      "patch.fx2.p4": 0,
      "patch.fx2.p5": 0,
      "patch.fx2.p6": 0,
      "patch.fx2.p7": 0,
      "patch.fx2.type": 0,
      "patch.fx3.p0": 0,
      "patch.fx3.p1": 0,
      "patch.fx3.p2": 0,
      "patch.fx3.p3": 0,
      "patch.fx3.p4": 0,
      "patch.fx3.p5": 0,
      "patch.fx3.p6": 0,
      "patch.fx3.p7": 0,
      "patch.fx3.type": 0,
      "patch.fx4.p0": 0,
      "patch.fx4.p1": 0,
      "patch.fx4.p2": 0,
      "patch.fx4.p3": 0,
      "patch.fx4.p4": 0,
      "patch.fx4.p5": 0,
      "patch.fx4.p6": 0,
      "patch.fx4.p7": 0,
      "patch.fx4.type": 0,
      "patch.fx5.p0": 0,
      "patch.fx5.p1": 0,
      "patch.fx5.p2": 0,
      "patch.fx5.p3": 0,
      "patch.fx5.p4": 0,
      "patch.fx5.p5": 0,
      "patch.fx5.p6": 0,
      "patch.fx5.p7": 0,
      "patch.fx5.type": 0,
      "patch.holdMode": 0,
      "patch.keyMode": 0,
      "patch.lfo2Mode": 0,
      "patch.lfo2Rate": 0.21121042166647297,
      "patch.lfo2Sync": 0,
      "patch.lfo2SyncDiv": 0.38095238095238093,
      "patch.lower.aftertouchSensitivity": 0,
      "patch.lower.assignMode": 0.75,
      "patch.lower.bendRange": 0.16,
      "patch.lower.holdMode": 0,
      "patch.lower.lfo2Mode": 0,
      "patch.lower.lfo2Rate": 0.21121042166647297,
      "patch.lower.lfo2Sync": 0,
      "patch.lower.lfo2SyncDiv": 0.38095238095238093,
      "patch.lower.octaveShift": 0.5,
      "patch.lower.portamentoTime": 0,
      "patch.lower.unisonDetune": 0,
      "patch.lower.vco1BendMode": 0.5,
      "patch.lower.vco2BendMode": 0.5,
      "patch.octaveShift": 0.5,
      "patch.portamentoTime": 0,
      "patch.splitPoint": 0.4482758620689655,
      "patch.stereoMode": 0,
      "patch.tune": 0.5,
      "patch.unisonDetune": 0,
      "patch.vco1BendMode": 0.5,
      "patch.vco2BendMode": 0.5,
      "patch.volume": 0.5
    },
    "toneA": )VLMINIT";

constexpr std::string_view kTone = R"VLMINIT({
      "metadata": {
        "author": "",
        "comment": "",
        "name": "Init",
        "tags": []
      },
      "modelRevision": "rev4",
      "params": {
        "dynamics.level": 0.7,
        "dynamics.time": 0,
        "eg.reset": 0,
        "env1.attack": 0.15205580029368576,
        "env1.decay": 0.5105568362987465,
        "env1.dynamics": 0,
        "env1.keyFollow": 0,
        "env1.release": 0.5717286042654338,
        "env1.sustain": 0.7681382529671749,
        "env2.attack": 0.15205580029368576,
        "env2.decay": 0.42242915338649434,
        "env2.dynamics": 0,
        "env2.keyFollow": 0,
        "env2.release": 0.46827586552000483,
        "env2.sustain": 0.7681382529671749,
        "hpf.cutoff": 0.19816839762137595,
        "keyFollow.vco": 1,
        "keyFollow.vcoTarget": 0.5,
        "lfo1.delay": 0,
        "lfo1.rate": 0.6724548842860111,
        "lfo1.sync": 0,
        "lfo1.syncDiv": 0.38095238095238093,
        "lfo1.wave": 0,
        "pwm.amount": 0,
        "pwm.polarity": 0,
        "pwm.pulseWidth": 0,
        "pwm.source": 0.5,
        "rev.select": 0,
        "sync.mode": 0,
        "vca.level": 1,
        "vca.lfoAmount": 0,
        "vcf.cutoff": 0.7215047647239513,
        "vcf.envAmount": 0,
        "vcf.envPolarity": 0,
        "vcf.envSelect": 0,
        "vcf.keyFollow": 0,
        "vcf.lfoAmount": 0,
        "vcf.resonance": 0.1,
        "vco.mix": 0.5,
        "vco1.modMode": 0,
        "vco1.range": 0.5,
        "vco1.wave": 0.3333333333333333,
        "vco2.fineTune": 0.5,
        "vco2.modMode": 0,
        "vco2.range": 0.5,
        "vco2.wave": 0.3333333333333333,
        "vcoMod.env1Amount": 0,
        "vcoMod.lfoAmount": 0,
        "xmod.env1Amount": 0,
        "xmod.manual": 0,
        "xmod.polarity": 0
      }
    })VLMINIT";

constexpr std::string_view kBetweenTones = ",\n    \"toneB\": ";
constexpr std::string_view kTail = "\n  }\n}\n";

// The parts joined at compile time into one NUL-terminated text.
template <const std::string_view&... Parts> constexpr auto Join() {
  std::array<char, (Parts.size() + ... + 1)> text{};
  auto* at = text.begin();
  ((at = std::copy(Parts.begin(), Parts.end(), at)), ...);
  return text;
}

constexpr auto kDocument = Join<kHead, kTone, kBetweenTones, kTone, kTail>();

} // namespace

const char* const kInitPatchDocument = kDocument.data();

} // namespace vlm

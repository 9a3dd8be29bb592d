// One tone panel: the tone's modules and, beside them, the part's own performance block.
import { Module, Select, Slider, Switch, Toggle } from './controls';
import { lfoSyncParam, partParam, toneParam, T, P, type Part } from '../model/paramLayout';
import { params } from '../state/params';

export function TonePanel({ part }: { part: Part }) {
  const t = (o: number) => toneParam(part, o);
  return (
    <div class={`tone-panel ${part}`} data-part={part}>
      <div class="module-row">
        <Module title="LFO-1" kind="lfo-1" part={part}>
          <Slider index={t(T.LfoRate)} label="RATE" />
          <Slider index={t(T.LfoDelay)} label="DELAY" />
          <Switch index={t(T.LfoWave)} label="WAVE" options={['TRI', 'SAW↑', 'SAW↓', 'SQR', 'RND']} />
          <TempoSync sync={lfoSyncParam(part, P.UpperLfoSync)} division={lfoSyncParam(part, P.UpperLfoSyncDiv)} />
        </Module>
        <Module title="VCO MOD" kind="vco-mod" part={part}>
          <Slider index={t(T.VcoModLfo)} label="LFO" />
          <Slider index={t(T.VcoModEnv1)} label="ENV-1" />
        </Module>
        <Module title="PWM" kind="pwm" part={part}>
          <Slider index={t(T.PulseWidth)} label="WIDTH" />
          <Slider index={t(T.PwmAmount)} label="AMOUNT" />
          <div class="stack">
            <Switch index={t(T.PwmSource)} label="SOURCE" />
            <Switch index={t(T.PwmPolarity)} label="POL" />
          </div>
        </Module>
        <Module title="KEY FOLLOW" kind="key-follow" part={part}>
          <Slider index={t(T.VcoKeyFollow)} label="AMOUNT" />
          <Switch index={t(T.VcoKeyFollowSel)} label="SELECT" />
        </Module>
        <Module title="VCO-1" kind="vco-1" part={part}>
          <Slider index={t(T.CrossMod)} label="X-MOD" />
          <Slider index={t(T.CrossModEnv1)} label="X-ENV" />
          <div class="stack">
            <Switch index={t(T.CrossModPolarity)} label="POL" />
            <Switch index={t(T.Vco1Mod)} label="MOD" />
          </div>
          <Switch index={t(T.Vco1Range)} label="RANGE" />
          <Switch index={t(T.Vco1Wave)} label="WAVE" options={['TRI', 'SAW', 'PLS', 'SQR']} />
        </Module>
        <Module title="VCO-2" kind="vco-2" part={part}>
          <div class="stack">
            <Switch index={t(T.Vco2Mod)} label="MOD" />
            <Switch index={t(T.VcoSync)} label="SYNC" />
          </div>
          <Switch index={t(T.Vco2Range)} label="RANGE" />
          <Slider index={t(T.Vco2Fine)} label="FINE" />
          <Switch index={t(T.Vco2Wave)} label="WAVE" options={['TRI', 'SAW', 'PLS', 'NOISE']} />
        </Module>
      </div>
      <div class="module-row">
        <Module title="MIXER" kind="mixer" part={part}>
          <Slider index={t(T.VcoMix)} label="VCO 1·2" />
        </Module>
        <Module title="HPF" kind="hpf" part={part}>
          <Slider index={t(T.HpfCutoff)} label="CUTOFF" />
        </Module>
        <Module title="VCF" kind="vcf" part={part}>
          <Slider index={t(T.VcfCutoff)} label="CUTOFF" />
          <Slider index={t(T.VcfResonance)} label="RES" />
          <div class="stack">
            <Switch index={t(T.VcfEnvSelect)} label="ENV" />
            <Switch index={t(T.VcfEnvPolarity)} label="POL" />
          </div>
          <Slider index={t(T.VcfEnvAmount)} label="ENV" />
          <Slider index={t(T.VcfLfoAmount)} label="LFO" />
          <Slider index={t(T.VcfKeyFollow)} label="KEY" />
        </Module>
        <Module title="VCA" kind="vca" part={part}>
          <Slider index={t(T.VcaLevel)} label="LEVEL" />
          <Slider index={t(T.VcaLfoAmount)} label="LFO" />
        </Module>
        <EnvModule part={part} first={T.Env1Attack} title="ENV-1" />
        <EnvModule part={part} first={T.Env2Attack} title="ENV-2" />
        <Module title="DYNAMICS" kind="dynamics" part={part}>
          <Slider index={t(T.DynamicsTime)} label="TIME" />
          <Slider index={t(T.DynamicsLevel)} label="LEVEL" />
          <Switch index={t(T.EnvReset)} label="RESET" />
        </Module>
      </div>
      <PartBlock part={part} />
    </div>
  );
}

/** An LFO's tempo-sync switch over its note division, which only counts while the sync is on. */
function TempoSync({ sync, division }: { sync: number; division: number }) {
  const syncOn = params[sync].norm.value >= 0.5;
  return (
    <div class="stack">
      <Toggle index={sync} label="SYNC" />
      <Select index={division} label="DIV" disabled={!syncOn} />
    </div>
  );
}

function EnvModule({ part, first, title }: { part: Part; first: number; title: string }) {
  const i = (k: number) => toneParam(part, first + k);
  return (
    <Module title={title} kind="env" part={part} envelope={first === T.Env1Attack ? 0 : 1}>
      <Slider index={i(0)} label="A" />
      <Slider index={i(1)} label="D" />
      <Slider index={i(2)} label="S" />
      <Slider index={i(3)} label="R" />
      <Slider index={i(4)} label="KEY" />
      <Switch index={i(5)} label="DYN" />
    </Module>
  );
}

/** The part's performance block (octave, assign, glide, bend, aftertouch with LFO-2). */
function PartBlock({ part }: { part: Part }) {
  const p = (i: number) => partParam(part, i);
  const lfo2Sync = part === 'upper' ? P.Lfo2Sync : P.LowerLfo2Sync;
  return (
    <div class="module-row part-row">
      <Module title="OCT SHIFT" kind="oct-shift" part={part}>
        <Switch index={p(P.OctaveShift)} label="OCT" />
      </Module>
      <Module title="ASSIGN" kind="assign-mode" part={part}>
        <Switch index={p(P.AssignMode)} label="MODE" />
        <Slider index={p(P.UnisonDetune)} label="DETUNE" />
        <Switch index={p(P.Hold)} label="HOLD" />
      </Module>
      <Module title="GLIDE" kind="glide" part={part}>
        <Slider index={p(P.Portamento)} label="TIME" />
      </Module>
      <Module title="PITCH BEND" kind="pitch-bend" part={part}>
        <Slider index={p(P.BendRange)} label="RANGE" />
        <Switch index={p(P.Vco1Bend)} label="VCO-1" />
        <Switch index={p(P.Vco2Bend)} label="VCO-2" />
      </Module>
      <Module title="AFTER TOUCH" kind="after-touch" part={part}>
        <Slider index={p(P.AtSens)} label="SENS" />
        <Switch index={p(P.AtMode)} label="MODE" />
        <Slider index={p(P.Lfo2Rate)} label="LFO-2" />
        <TempoSync sync={lfo2Sync} division={lfo2Sync + 1} />
      </Module>
    </div>
  );
}

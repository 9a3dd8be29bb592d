// The patch-wide controls: master tune and dynamics, key mode and split, balance, patch volume, stereo; settings.
import { Module, ParamKnob, Slider, Switch } from './controls';
import { P } from '../model/paramLayout';
import { texts } from '../i18n/texts';

export function PerformanceStrip() {
  const t = texts();
  return (
    <div class="module-row perf-row">
      <Module title="MASTER" kind="master">
        <Slider index={P.Tune} label="TUNE" />
        <Slider index={P.DynamicsSens} label="DYN SENS" />
        <Switch index={P.Stereo} label="STEREO" />
      </Module>
      <Module title="KEY MODE" kind="key-mode">
        <Switch index={P.KeyMode} label="MODE" />
        <Slider index={P.SplitPoint} label="SPLIT" />
      </Module>
      <Module title="BALANCE" kind="balance">
        <Slider index={P.Balance} label="L · U" />
      </Module>
      <Module title={t.patch} kind="patch-volume">
        <ParamKnob index={P.PatchVolume} label="LEVEL" />
      </Module>
      <Module title={t.oversampling} kind="oversampling">
        <Switch index={P.Oversampling} label="" />
      </Module>
      <Module title={t.polyphony} kind="polyphony">
        <Switch index={P.Polyphony} label="" />
      </Module>
    </div>
  );
}

// Display facts of the sound parameters that the schema does not carry: units, decimals, value texts, wheel steps.
import { kDisplayCurves } from '../generated/curves';
import { kLowerPartOffset, kNumSoundParams } from './paramLayout';

export interface ParamInfo {
  name: string;
  min: number;
  max: number;
  def: number;
  unit: string;
  decimals: number;
  enumTexts?: readonly string[];
  /** Mouse-wheel step in real units (coarse), where a parameter defines one. */
  wheelStep?: number;
  /** Drawn from the centre (bipolar). */
  centred?: boolean;
}

export const kSyncDivisions = ['8/1', '4/1', '2/1', '1/1', '1/2.', '1/2', '1/4.', '1/2T', '1/4', '1/8.', '1/4T', '1/8', '1/16.', '1/8T', '1/16', '1/32.', '1/16T', '1/32', '1/64.', '1/32T', '1/64', '1/64T'];
export const kFxTypeNames = ['Off', 'Synth Chorus', 'Studio Chorus', 'Digital Chorus', 'Delay', 'Phaser', 'Flanger', 'EQ', 'Compressor', 'Distortion', 'Reverb', 'Pitch Chorus', 'Arpeggiator', '(reserved)', '(reserved)', '(reserved)'];

/** Digits shown for a step, as the framework derives its display precision. */
function decimalsForStep(step: number): number {
  let p = 0;
  let s = step;
  while (s !== Math.floor(s) && p < 6) {
    p++;
    s = Math.round(s * 10 * 1e9) / 1e9;
  }
  return p;
}

const dbl = (name: string, min: number, max: number, def: number, step: number, unit = '', extra: Partial<ParamInfo> = {}): ParamInfo => ({
  name, min, max, def, unit, decimals: decimalsForStep(step), ...extra,
});
const en = (name: string, texts: readonly string[], def: number): ParamInfo => ({
  name, min: 0, max: texts.length - 1, def, unit: '', decimals: 0, enumTexts: texts,
});
const OFF_ON = ['Off', 'On'];

function partBlock(prefix: string): ParamInfo[] {
  const p = prefix ? prefix + ' ' : '';
  return [
    en(p + 'Octave Shift', ['-2', '-1', 'Norm', '+1', '+2'], 2),
    en(p + 'Assign Mode', ['Solo', 'Unison-1', 'Unison-2', 'Poly-1', 'Poly-2'], 3),
    dbl(p + 'Unison Detune', 0, 1, 0, 0.001),
    en(p + 'Hold', ['MIDI', 'On', 'Off'], 0),
    dbl(p + 'Portamento', 0, 2645, 0, 0.1, 'ms'),
    dbl(p + 'Bend Range', 0, 12.5, 2, 0.1, 'st'),
    en(p + 'VCO1 Bend', ['Wide', 'Norm', 'Off'], 1),
    en(p + 'VCO2 Bend', ['Wide', 'Norm', 'Off'], 1),
    dbl(p + 'AT Sens', 0, 1, 0, 0.001),
    dbl(p + 'LFO2 Rate', 0.016, 16, 1, 0.001, 'Hz'),
    en(p + 'AT Mode', ['VCO', 'VCF'], 0),
  ];
}

function toneBlock(prefix: string): ParamInfo[] {
  const n = (s: string) => prefix + ' ' + s;
  const NRM_INV = ['NRM', 'INV'];
  // One envelope's six parameters; ENV2's decay and release reach further.
  const envelope = (k: 1 | 2, longestMs: number): ParamInfo[] => [
    dbl(n(`ENV${k} Attack`), 2, 20352.1, 10, 0.1, 'ms'),
    dbl(n(`ENV${k} Decay`), 0.1, longestMs, 200, 0.1, 'ms'),
    dbl(n(`ENV${k} Sustain`), 0, 1, 0.7, 0.001),
    dbl(n(`ENV${k} Release`), 0.1, longestMs, 300, 0.1, 'ms'),
    dbl(n(`ENV${k} Key Follow`), 0, 1, 0, 0.001),
    en(n(`ENV${k} Dynamics`), ['On', 'Off'], 0),
  ];
  return [
    en(n('Reserved'), ['Reserved', 'Reserved'], 0),
    dbl(n('VCO Key Follow'), 0, 1, 1, 0.001),
    en(n('VCO Key Follow Sel'), ['VCO-1', 'Off', 'VCO-2'], 1),
    en(n('VCO1 Mod'), ['NRM', 'Off', 'INV'], 0),
    en(n('VCO1 Range'), ["32'", "16'", "8'", "4'", "2'"], 2),
    en(n('VCO1 Wave'), ['Triangle', 'Sawtooth', 'Pulse', 'Square'], 1),
    en(n('VCO2 Mod'), ['NRM', 'Off', 'INV'], 0),
    en(n('VCO2 Range'), ['LOW', "32'", "16'", "8'", "4'", "2'", 'HI'], 3),
    en(n('VCO2 Wave'), ['Triangle', 'Sawtooth', 'Pulse', 'Noise'], 1),
    dbl(n('VCO2 Fine'), -50, 50, 0, 0.1, 'cents', { wheelStep: 1, centred: true }),
    dbl(n('VCO Mix'), 0, 1, 0.5, 0.001, '', { centred: true }),
    dbl(n('HPF Cutoff'), 20, 1550, 30, 0.01, 'Hz'),
    dbl(n('VCF Cutoff'), 5, 30000, 4000, 0.01, 'Hz'),
    dbl(n('VCF Resonance'), 0, 1, 0.1, 0.001),
    en(n('VCF Env Select'), ['ENV-1', 'ENV-2'], 0),
    en(n('VCF Env Polarity'), NRM_INV, 0),
    dbl(n('VCF Env Amount'), 0, 9.1168, 0, 0.001, 'oct'),
    dbl(n('VCF LFO Amount'), 0, 5.73, 0, 0.001, 'oct'),
    dbl(n('VCF Key Follow'), 0, 1, 0, 0.001),
    dbl(n('VCA Level'), 0, 1, 1, 0.001),
    dbl(n('VCA LFO Amount'), 0, 1, 0, 0.001),
    ...envelope(1, 10000),
    ...envelope(2, 20000),
    dbl(n('LFO Rate'), 0.02, 65.11, 5, 0.01, 'Hz'),
    en(n('LFO Wave'), ['Triangle', 'Saw Up', 'Saw Down', 'Square', 'Random'], 0),
    dbl(n('LFO Delay'), 0, 3955, 0, 0.1, 'ms'),
    dbl(n('VCO Mod LFO'), 0, 61, 0, 0.001, 'st'),
    dbl(n('VCO Mod ENV1'), 0, 24.06, 0, 0.001, 'st'),
    dbl(n('Pulse Width'), 0, 50, 50, 0.1, '%'),
    dbl(n('PWM Amount'), 0, 1, 0, 0.001),
    en(n('PWM Source'), ['ENV-1', 'LFO-1', 'KBD'], 1),
    en(n('PWM Polarity'), NRM_INV, 0),
    dbl(n('Cross Mod'), 0, 1, 0, 0.001),
    dbl(n('Cross Mod ENV1'), 0, 1, 0, 0.001),
    en(n('Cross Mod Polarity'), NRM_INV, 0),
    en(n('VCO Sync'), ['Off', '1->2', '2->1'], 0),
    dbl(n('Dynamics Time'), 0, 1, 0, 0.001),
    dbl(n('Dynamics Level'), 0, 1, 0.7, 0.001),
    en(n('ENV Reset'), ['On', 'Off'], 0),
  ];
}

function buildInfo(): ParamInfo[] {
  const info: ParamInfo[] = new Array(kNumSoundParams);
  info[0] = dbl('Master', -30, 0, -12, 0.5, 'dB', { wheelStep: 1 });
  info[1] = dbl('Tune', -100, 100, 0, 0.1, 'cents', { wheelStep: 1, centred: true });
  info[2] = dbl('Dynamics Sens', 0, 1, 1, 0.001);
  info[3] = en('Key Mode', ['Whole', 'Split-2', 'Split-1', 'Dual'], 0);
  info[4] = dbl('Split Point', 21, 108, 60, 1, 'note');
  info[5] = dbl('Balance', 0, 1, 0.5, 0.001, '', { centred: true });
  partBlock('').forEach((p, k) => (info[6 + k] = p));
  toneBlock('Upper').forEach((p, k) => (info[17 + k] = p));
  toneBlock('Lower').forEach((p, k) => (info[66 + k] = p));
  info[115] = en('Oversampling', ['Off', '2x', '4x'], 0);
  info[116] = en('Polyphony', ['8', '12', '16', '20', '24'], 0);
  for (let s = 0; s < 5; s++) {
    info[117 + 9 * s] = en(`FX ${s + 1} Type`, kFxTypeNames, 0);
    for (let p = 0; p < 8; p++) info[118 + 9 * s + p] = dbl(`FX ${s + 1} P${p}`, 0, 1, 0, 0.001);
    info[163 + s] = en(`FX ${s + 1} Bypass`, OFF_ON, 0);
  }
  info[162] = en('FX Chain Lock', OFF_ON, 0);
  info[168] = dbl('Patch Volume', -12, 12, 0, 0.5, 'dB', { wheelStep: 1, centred: true });
  info[169] = en('Stereo', ['Mix', 'Separate'], 0);
  partBlock('Lower').forEach((p, k) => (info[6 + kLowerPartOffset + k] = p));
  const syncs: [number, string][] = [[181, 'Upper LFO'], [183, 'Lower LFO'], [185, 'LFO2'], [187, 'Lower LFO2']];
  for (const [i, n] of syncs) {
    info[i] = en(n + ' Sync', OFF_ON, 0);
    info[i + 1] = { ...en(n + ' Sync Div', kSyncDivisions, 8), wheelStep: 1 };
  }
  return info;
}

export const kParamInfo: readonly ParamInfo[] = buildInfo();

/** Display info of any index; controller assignments (189..377) read as -1..127 with no unit. */
export function paramInfo(i: number): ParamInfo {
  if (i >= 0 && i < kNumSoundParams) return kParamInfo[i];
  return { name: `CC Map ${i - kNumSoundParams}`, min: -1, max: 127, def: -1, unit: '', decimals: 0 };
}

export function hasDisplayCurve(i: number): boolean {
  return kDisplayCurves[i] !== undefined;
}
